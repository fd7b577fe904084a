#pragma once

#include <cstdint>

// How the sword and its trail look: "styles/sword/default/" holds "sword.png",
// "tail.png" and "info" (blade size, head width A, head width B, middle width,
// end width, break point, full speed, alpha speed). The sword carries it; the
// drawing (render/sword_drawing.hpp) fills it in.
struct SwordStyle {
    std::uint32_t blade_texture = 0;
    std::uint32_t tail_texture = 0;
    double blade_size = 0.1;     // half the blade's length
    double blade_width = 0.025;  // half its width: blade size times the picture's aspect
    double head_width_a = 0.03;  // trail half-width at the sword when cannot_cut_fade is 1
    double head_width_b = 0.015;  // the same when cannot_cut_fade is 0
    double middle_width = 0.02;   // at the break point
    double end_width = 0.0;       // at the oldest end
    double break_point = 0.5;     // trail fraction, 1 at the oldest end, where the width ramps meet
    double full_speed = 2.0;      // speed for the full trail width
    double alpha_speed = 0.0;     // speed for an opaque trail; 0 or less: always opaque
    bool loaded = false;
};
