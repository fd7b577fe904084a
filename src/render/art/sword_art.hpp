#pragma once

#include "render/art/canvas.hpp"

// The sword's two pictures. The blade lies along the picture's width with its
// tip at the right edge (s = 1) and the hilt at the left (s = 0), centred
// across; the picture is square because the game draws it on a square quad.
// The trail streak is brightest at its left edge (s = 0, at the sword) and
// fades out to the right (the oldest end) and to both sides.
struct SwordArt {
    Canvas blade;
    Canvas tail;
};

SwordArt draw_sword_art();

// "textures/basic_particle.png": a soft round spark, drawn additively.
Canvas draw_particle();
