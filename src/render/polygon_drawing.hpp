#pragma once

#include <string>
#include <vector>

#include "geometry/polygon.hpp"

// The texture names and edge scale of the style's folder; needs a GL context.
void fetch_style_textures(const PolygonStyle& style);

// The picture files of every style folder there is, as fetch_style_textures
// asks for them.
std::vector<std::string> every_style_picture();

// Fills the polygon with stencil counting (holes and concave outlines need no
// triangulation), then draws the edge bands and the light band. With lean
// drawing an outline that does not cross itself fills directly through its
// fan or its triangles, and an opaque interior is written without blending:
// the same pixels, fewer written. alpha is
// multiplied into every colour. Needs a GL context with stencil and depth
// buffers; defined in polygon_drawing.cpp.
void draw_polygon(const PolygonStyle& style, const Polygon& polygon, double alpha);
