#pragma once

#include <string>
#include <utility>
#include <vector>

class Polygon;

// How a polygon is drawn. The outline loops come first: Polygon::trace_loops
// fills them and drawing walks them.
struct PolygonStyle {
    std::vector<std::vector<int>> loops;
    std::string name;

    explicit PolygonStyle(std::string name_ = "default") : name(std::move(name_)) {}
};

// Draws the polygon's outline loops in world coordinates. Needs a GL context.
void draw_polygon(const PolygonStyle& style, const Polygon& polygon, double opacity);
