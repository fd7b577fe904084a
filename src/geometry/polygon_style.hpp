#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a polygon looks: an interior picture that repeats and may slide, a band
// picture along ordinary edges and another along cut edges, and a light band
// inside the outline whose picture depends on the world direction an edge
// faces. Numbers come from "styles/polygon/NAME/info", pictures from the same
// folder.
//
// Loading reads only the info file, so levels load and the world steps without
// a GL context. The texture names, and the edge scale that needs the edge
// picture's aspect, are left for the drawing (render/polygon_drawing.hpp) to
// fetch on the first draw after each load; they are mutable because drawing
// sees a const polygon.
struct PolygonStyle {
    // Filled by Polygon::trace_loops: the closed outlines, as point indices.
    std::vector<std::vector<int>> loops;
    double edge_width = 0.05;
    mutable double edge_scale = 20.0;  // band texture units per level unit
    double light_width = 0.1;
    double main_scale = 1.0;  // interior repeats per level unit
    double shift_s = 0.0;     // current slide of the interior, in [0, 1)
    double shift_t = 0.0;
    double scroll_s = 0.0;  // slide per second
    double scroll_t = 0.0;
    mutable std::uint32_t main_texture = 0;
    mutable std::uint32_t edge_texture = 0;
    mutable std::uint32_t cut_texture = 0;
    mutable std::uint32_t light_texture = 0;
    mutable bool main_opaque = false;  // the interior picture has full alpha everywhere
    mutable bool textures_fetched = false;
    std::string name;    // the name asked for
    std::string folder;  // where the numbers and pictures come from: the name's folder or "default"'s

    // Names the style without reading anything; load_style reads it.
    explicit PolygonStyle(std::string style_name = "default");

    // Reads the named style's numbers, silently falling back to "default" when
    // its info file is missing or short. If "default" cannot be read either,
    // reports it and keeps the numbers the style had.
    void load_style(const std::string& style_name);
    // Slides the interior picture; both shifts stay in [0, 1).
    void animate_style(double dt);
    // Whether the interior picture slides, and so changes every frame.
    bool slides() const { return scroll_s != 0.0 || scroll_t != 0.0; }
};

// Where a style's numbers and pictures are kept: "styles/polygon/NAME/".
std::string polygon_style_folder(const std::string& name);
