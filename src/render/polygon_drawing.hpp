#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "geometry/polygon.hpp"

class LayerKey;

// Adds a polygon's points and edges, its outline in its own coordinates, to
// a key.
void add_outline(LayerKey& key, const Polygon& polygon);

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

// The same for a shape that moves on the screen (a body, or a wall while the
// camera pans), at full alpha. With lean drawing its picture in its own
// coordinates, once it has stayed the same for twenty frames, is kept finer
// than the screen and laid over the shape in one pass: it stays the same
// while the shape moves and turns a little (only the light band follows its
// turn).
void draw_moving_polygon(const PolygonStyle& style, const Polygon& polygon);

// How many pictures of bodies have been made.
std::uint64_t body_pictures_made();
