#pragma once

#include <cfloat>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "geometry/polygon_style.hpp"
#include "geometry/vector2.hpp"
#include "storage/base_storable.hpp"

// 2x2 matrix kept column by column: (m00, m10) is where the local x axis
// points in the world, (m01, m11) the local y axis.
struct Rotation {
    double m00 = 1.0;
    double m10 = 0.0;
    double m01 = 0.0;
    double m11 = 1.0;
};

// r·v, and its inverse rᵀ·v for a pure rotation.
inline Vector2 rotate(const Rotation& r, const Vector2& v)
{
    return Vector2(r.m00 * v.x + r.m01 * v.y, r.m10 * v.x + r.m11 * v.y);
}
inline Vector2 rotate_back(const Rotation& r, const Vector2& v)
{
    return Vector2(r.m00 * v.x + r.m10 * v.y, r.m01 * v.x + r.m11 * v.y);
}

// A solid shape: points in a local frame, directed edges between them and a
// rigid placement in the world. The boundary runs counter-clockwise, material
// on the left. A pair of opposite edges a->b, b->a is a slit cut into the
// material, not boundary.
// The area inside an outline given by its edges between `points`: positive
// when it runs counter-clockwise; a slit's two halves cancel out.
double outline_area(const std::vector<Vector2>& points, const std::multimap<int, int>& edges);

// Where the edges do not close into loops: the first point left more or less
// often than it is reached, or -1 when every point is balanced.
int unbalanced_point(const std::vector<Vector2>& points, const std::multimap<int, int>& edges);

// A box in the world, axis-aligned.
struct WorldBox {
    Vector2 lo, hi;

    // Boxes that do not meet hold no common point; NaN corners meet anything.
    bool meets(const WorldBox& other) const
    {
        return !(hi.x < other.lo.x || other.hi.x < lo.x || hi.y < other.lo.y || other.hi.y < lo.y);
    }
};

class Polygon : public BaseStorable {
public:
    // An edge as (start index, end index); a copy, so it stays valid while
    // `edges` changes.
    using Edge = std::pair<int, int>;

    Polygon() = default;
    Polygon(const Polygon&) = default;
    Polygon& operator=(const Polygon&) = default;
    Polygon(Polygon&&) = default;
    Polygon& operator=(Polygon&&) = default;
    ~Polygon() override;

    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;
    // Moves the local origin to v (local) without moving the world shape.
    virtual void shift_origin(const Vector2& v);
    virtual bool sanity_check(std::string& message, Vector2& where) const;
    // Drawing is defined with the rest of the drawing (render/shape_drawing.cpp):
    // geometry itself never draws, and steps without a window.
    virtual void draw() const;
    // Editor view; the caller sets the colour.
    virtual void draw_outline(bool detailed) const;

    void compute_bbox();
    Vector2 world_bbox_centre();
    // A world box holding every point: the local box turned into the world,
    // grown a little so that rounding in to_world cannot put a point outside.
    WorldBox world_box();
    Vector2 to_world(const Vector2& p) const;
    // Inverse of to_world while `rotation` is a pure rotation.
    Vector2 to_local(const Vector2& p) const;
    // Positive for a counter-clockwise boundary; slits cancel out.
    double signed_area() const;
    Vector2 centroid() const;
    bool contains(const Vector2& p);
    // Nearest point on the boundary (slits skipped) and its edge. False when
    // there is none: no edge that is not doubled, or a point that is not a
    // number.
    bool closest_boundary_point(const Vector2& p, Edge& edge, Vector2& point) const;
    Vector2 closest_edge_point(const Vector2& p) const;
    bool has_reverse(const Edge& edge) const;
    void trace_loops(PolygonStyle& loop_style) const;

    bool bbox_valid = false;
    PolygonStyle style{"default"};
    std::string style_name;
    Vector2 last_sword_pos;
    bool sword_inside = false;
    int inside_point_count = 0;
    bool cut_pending = false;
    std::vector<Vector2> points;
    std::multimap<int, int> edges;
    Vector2 bbox_min{DBL_MAX, DBL_MAX};
    Vector2 bbox_max{-DBL_MAX, -DBL_MAX};
    Rotation rotation;
    double angle = 0.0;
    Vector2 position;
    Vector2 texture_offset;
    double cut_drag = 0.0;
};

// Whether the edge a-b crosses the horizontal line through p to the left of
// p: the inside test counts these. Every edge owns its lower end and not its
// upper one, whichever way it runs, so a top or bottom vertex level with p
// counts twice or not at all, and a doubled edge (a slit) counts twice.
inline bool crosses_left_of(const Vector2& a, const Vector2& b, const Vector2& p)
{
    return (a.y <= p.y && p.y < b.y && (b.y - a.y) * (p.x - a.x) > (p.y - a.y) * (b.x - a.x)) ||
           (b.y <= p.y && p.y < a.y && (a.y - b.y) * (p.x - b.x) > (p.y - b.y) * (a.x - b.x));
}

// The "most right" rule for walking an outline: where to go on from the edge
// start->end among the edges of `candidates` that start at `end`. Left turns
// score highest and going straight back lowest, so the walk keeps the
// material on its left where loops touch at a point. candidates.end() when
// no candidate starts there or none scores (NaN points).
std::multimap<int, int>::iterator most_right_successor(const std::vector<Vector2>& points,
                                                       std::multimap<int, int>& candidates,
                                                       int start, int end);
