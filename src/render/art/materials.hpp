#pragma once

#include <string>
#include <vector>

#include "render/art/canvas.hpp"

// The four pictures of one polygon style, as the game maps them:
// - main: the interior, repeating in both directions, upright (top row up);
// - edge, cut: bands along ordinary and freshly cut edges, repeating along the
//   edge (s); the bottom row (t = 1) lies on the outline and the top row
//   (t = 0) the band's width inside it;
// - light: a band whose s is the world direction the edge faces, a turn per
//   picture width (s = 0.25 faces up), with the outline again at the bottom.
struct PolygonStyleArt {
    std::string name;
    Canvas main;
    Canvas edge;
    Canvas cut;
    Canvas light;
};

// Every polygon style of the game; "default" comes first.
std::vector<PolygonStyleArt> draw_polygon_styles();
