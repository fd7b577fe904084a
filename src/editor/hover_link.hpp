#pragma once

#include <cfloat>
#include <vector>

#include "geometry/vector2.hpp"

// The hover rule: of the points offered, the nearest to the cursor within 0.2
// wins; each newly taken point replaces the previous pick.
struct HoverPick {
    // True when `candidate` is taken.
    bool offer(const Vector2& candidate, const Vector2& cursor);

    double best = DBL_MAX;  // squared distance of the current pick
};

// One vertex of a hover link stroke, with the alpha it is drawn in (white).
struct LinkVertex {
    Vector2 point;
    double alpha;
};
using LinkStroke = std::vector<LinkVertex>;

// The flickering strokes joining the cursor (`from`) to the point a click
// would take (`to`): none from 0.2 apart, up to five as the points meet.
// Drawn afresh every frame.
std::vector<LinkStroke> hover_link_strokes(const Vector2& from, const Vector2& to);

// The strokes, then the pointer marker at `from`.
void draw_hover_link(const Vector2& from, const Vector2& to);

// Uniform in [a, b], new at every call: the editor's marks flicker.
double jitter(double a, double b);
