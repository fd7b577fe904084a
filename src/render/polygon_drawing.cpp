#include "render/polygon_drawing.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <numbers>
#include <utility>
#include <vector>

#include "render/box_texture.hpp"
#include "render/files.hpp"
#include "render/frame.hpp"
#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/still_layer.hpp"
#include "render/texture_manager.hpp"
#include "render/vertex.hpp"

namespace {

// One vertex of the light band, kept between its two passes.
struct BandVertex {
    double x, y, z;
    double s, t;
};

// An outline or edge left stale by an edit may name points that are gone.
bool names_point(int index, const std::vector<Vector2>& points)
{
    return index >= 0 && index < static_cast<int>(points.size());
}

bool names_points(const std::vector<int>& loop, const std::vector<Vector2>& points)
{
    return std::all_of(loop.begin(), loop.end(), [&points](int index) { return names_point(index, points); });
}

// Outward normal (e.y, -e.x) of the edge a -> b; (0, 0) for a zero-length edge.
Vector2 outward_normal(const Vector2& a, const Vector2& b)
{
    const double length = (b - a).length();
    const Vector2 e = (b - a) / (length == 0.0 ? 1.0 : length);
    return {e.y, -e.x};
}

double band_s(const Vector2& normal, double angle)
{
    return (std::atan2(normal.y, normal.x) + angle) / (2.0 * std::numbers::pi);
}

// s moved by whole numbers to within 0.5 of the reference.
double near_to(double s, double reference)
{
    return s - std::floor(s - reference + 0.5);
}

// A pair across the band at an outline point: the outline and `width` in;
// or, `reach` > 0, the band carried on outwards from the outline for `reach`.
void add_pair(std::vector<BandVertex>& strip, const Vector2& at, const Vector2& normal, double s, double width,
              double reach, int outer_copies, int inner_copies)
{
    const double on = reach / width;
    const double outline_t = clamped_coordinate(1.0), inside_t = clamped_coordinate(0.0);
    const Vector2 outer = at + normal * reach;
    for (int i = 0; i < outer_copies; ++i)
        strip.push_back({outer.x, outer.y, -0.1 - 0.09 * on, s, outline_t + (outline_t - inside_t) * on});
    if (reach > 0.0) {
        for (int i = 0; i < inner_copies; ++i)
            strip.push_back({at.x, at.y, -0.1, s, outline_t});
        return;
    }
    const Vector2 inner = at - normal * width;
    for (int i = 0; i < inner_copies; ++i)
        strip.push_back({inner.x, inner.y, -0.01, s, inside_t});
}

// The light band of every loop of at least three points as one quad strip;
// with `reach`, its outward run (see add_pair). Each loop's run starts outer,
// outer, outer, inner and ends outer, inner, inner, inner, so the quads that
// join loops have no area.
std::vector<BandVertex> light_band(const std::vector<std::vector<int>>& loops, const std::vector<Vector2>& points,
                                   double angle, double width, double reach)
{
    std::vector<BandVertex> strip;
    for (const std::vector<int>& loop : loops) {
        const std::size_t n = loop.size();
        if (n < 3 || !names_points(loop, points))
            continue;
        const std::size_t first = strip.size();
        double previous = 0.0;
        for (std::size_t i = 0; i < n; ++i) {
            const Vector2 a = points[loop[(i + n - 2) % n]];
            const Vector2 b = points[loop[(i + n - 1) % n]];
            const Vector2 d = points[loop[i]];
            const Vector2 n_in = outward_normal(a, b);
            const Vector2 n_out = outward_normal(b, d);

            previous = near_to(band_s(n_in, angle), previous);
            add_pair(strip, (a + b) * 0.5, n_in, previous, width, reach, i == 0 ? 3 : 1, 1);
            if (dot(n_in, n_out) > 0.5) {
                const Vector2 sum = n_in + n_out;
                previous = near_to(band_s(sum, angle), previous);
                add_pair(strip, b, sum / sum.length(), previous, width, reach, 1, 1);
            } else {
                // A turn of 60 degrees or more: the band turns the corner as a wedge.
                add_pair(strip, b, n_in, previous, width, reach, 1, 1);
                previous = near_to(band_s(n_out, angle), previous);
                add_pair(strip, b, n_out, previous, width, reach, 1, 1);
            }
        }
        BandVertex outer = strip[first];
        BandVertex inner = strip[first + 3];
        outer.s = inner.s = near_to(outer.s, previous);
        strip.push_back(outer);
        for (int i = 0; i < 3; ++i)
            strip.push_back(inner);
    }
    return strip;
}

// One corner of an edge band: where it lies, its picture's coordinates and
// its alpha.
struct BandCorner {
    Vector2 at;
    double s, t, alpha;
};

// The quads of a strip of corners, two across the band at a time, as
// triangles inside a glBegin(GL_TRIANGLES): the bands of a polygon's edges go
// in one draw. Each quad is split as a quad strip is drawn, through its first
// corner: where a band fades out two corners stand on one point with
// different pictures, and the split picks which of them the tip takes.
template <std::size_t n>
void add_quads(const BandCorner (&strip)[n])
{
    for (std::size_t i = 0; i + 3 < n; i += 2)
        for (std::size_t j : {i, i + 1, i + 3, i, i + 3, i + 2}) {
            glColor4d(1.0, 1.0, 1.0, strip[j].alpha);
            glTexCoord2d(strip[j].s, strip[j].t);
            vertex(strip[j].at);
        }
}

// The band on the left of a -> b, w wide, fading out over w before a and
// after b; its picture starts at running length r, k texture units per level
// unit.
void add_edge_band(const Vector2& a, const Vector2& b, double length, double w, double k, double r, double alpha)
{
    const Vector2 d = (b - a) / (length == 0.0 ? 1.0 : length);
    const Vector2 p(-d.y, d.x);
    const double outline = clamped_coordinate(1.0), inside = clamped_coordinate(0.0);
    add_quads<8>({{a - d * w, r * k, outline, 0.0},
                  {a - d * w, r * k, inside, 0.0},
                  {a, (r + w) * k, outline, alpha},
                  {a + p * w, (r + w) * k, inside, alpha},
                  {b, (r + w + length) * k, outline, alpha},
                  {b + p * w, (r + w + length) * k, inside, alpha},
                  {b + d * w, (r + 2.0 * w + length) * k, outline, 0.0},
                  {b + d * w, (r + 2.0 * w + length) * k, inside, 0.0}});
}

// The band of add_edge_band carried on outwards from a -> b for `reach`,
// where its picture runs on into its transparent margin.
void add_edge_band_outwards(const Vector2& a, const Vector2& b, double length, double w, double k, double r,
                            double reach, double alpha)
{
    const Vector2 d = (b - a) / (length == 0.0 ? 1.0 : length);
    const Vector2 out = Vector2(d.y, -d.x) * reach;
    const double outline = clamped_coordinate(1.0), inside = clamped_coordinate(0.0);
    const double beyond = outline + (outline - inside) * reach / w;
    add_quads<4>({{a + out, (r + w) * k, beyond, alpha},
                  {a, (r + w) * k, outline, alpha},
                  {b + out, (r + w + length) * k, beyond, alpha},
                  {b, (r + w + length) * k, outline, alpha}});
}

// Every outline loop as one fan through its points.
void draw_fans(const std::vector<std::vector<int>>& loops, const std::vector<Vector2>& points)
{
    for (const std::vector<int>& loop : loops) {
        if (!names_points(loop, points))
            continue;
        glBegin(GL_TRIANGLE_FAN);
        for (int index : loop)
            vertex(points[index]);
        glEnd();
    }
}

// Puts the stencil back to 0 under every fan.
void clear_fans(const std::vector<std::vector<int>>& loops, const std::vector<Vector2>& points)
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glStencilOp(GL_ZERO, GL_ZERO, GL_ZERO);
    draw_fans(loops, points);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// Whether the loop turns one way only and goes round once: then the fan from
// its first point covers every inside pixel exactly once, as the stencil's
// odd count would.
bool convex_loop(const std::vector<int>& loop, const std::vector<Vector2>& points)
{
    const std::size_t n = loop.size();
    if (n < 3 || !names_points(loop, points))
        return false;
    int turn = 0;
    double turning = 0.0;
    for (std::size_t i = 0; i < n; ++i) {
        const Vector2 a = points[loop[i]];
        const Vector2 b = points[loop[(i + 1) % n]];
        const Vector2 c = points[loop[(i + 2) % n]];
        const double side = cross(b - a, c - b);
        const double ahead = dot(b - a, c - b);
        if (side != 0.0) {
            const int this_turn = side > 0.0 ? 1 : -1;
            if (turn != 0 && this_turn != turn)
                return false;
            turn = this_turn;
        } else if (ahead < 0.0) {
            return false;
        }
        turning += std::atan2(side, ahead);
    }
    // A star turns one way too, but goes round more than once.
    return turn != 0 && std::abs(std::abs(turning) - 2.0 * std::numbers::pi) < 0.5;
}

// Whether the segments a-b and c-d meet, touching included.
bool segments_meet(const Vector2& a, const Vector2& b, const Vector2& c, const Vector2& d)
{
    const double c_side = cross(b - a, c - a), d_side = cross(b - a, d - a);
    const double a_side = cross(d - c, a - c), b_side = cross(d - c, b - c);
    if (((c_side > 0 && d_side < 0) || (c_side < 0 && d_side > 0)) &&
        ((a_side > 0 && b_side < 0) || (a_side < 0 && b_side > 0)))
        return true;
    // A point on the other segment's line meets it when it lies between its ends.
    auto on = [](const Vector2& p, const Vector2& q, const Vector2& r, double side) {
        return side == 0 && dot(r - p, r - q) <= 0;
    };
    return on(a, b, c, c_side) || on(a, b, d, d_side) || on(c, d, a, a_side) || on(c, d, b, b_side);
}

bool inside_or_on(const Vector2& p, const Vector2& a, const Vector2& b, const Vector2& c)
{
    return cross(b - a, p - a) >= 0 && cross(c - b, p - b) >= 0 && cross(a - c, p - c) >= 0;
}

// Triangles (three indices each) covering a loop that does not touch or cross
// itself exactly once, as the stencil's odd count would; empty for any other
// loop, which must be counted.
std::vector<int> triangulate(const std::vector<int>& loop, const std::vector<Vector2>& points)
{
    if (loop.size() < 3 || !names_points(loop, points))
        return {};
    // A point doubled adds nothing to the outline.
    std::vector<int> left;
    for (int index : loop)
        if (left.empty() || points[index] != points[left.back()])
            left.push_back(index);
    while (left.size() > 1 && points[left.front()] == points[left.back()])
        left.pop_back();
    const std::size_t n = left.size();
    if (n < 3)
        return {};
    double area = 0;
    for (std::size_t i = 0; i < n; ++i)
        area += cross(points[left[i]], points[left[(i + 1) % n]]);
    if (area == 0)
        return {};
    for (std::size_t i = 0; i < n; ++i)
        for (std::size_t j = i + 2; j < n; ++j)
            if ((j + 1) % n != i && segments_meet(points[left[i]], points[left[i + 1]], points[left[j]],
                                                  points[left[(j + 1) % n]]))
                return {};
    // Counter-clockwise from here on, so that a corner that turns left is convex.
    if (area < 0)
        std::reverse(left.begin(), left.end());

    // Cut off ears: a convex corner whose triangle holds no other point.
    std::vector<int> triangles;
    while (left.size() > 3) {
        const std::size_t m = left.size();
        bool cut = false;
        for (std::size_t i = 0; i < m && !cut; ++i) {
            const int before = left[(i + m - 1) % m], at = left[i], after = left[(i + 1) % m];
            const Vector2 &a = points[before], &b = points[at], &c = points[after];
            const double turn = cross(b - a, c - b);
            if (turn < 0)
                continue;
            bool empty = true;
            for (int other : left)
                if (other != before && other != at && other != after && inside_or_on(points[other], a, b, c))
                    empty = false;
            if (!empty)
                continue;
            // A point on a straight run is dropped without a triangle.
            if (turn > 0)
                triangles.insert(triangles.end(), {before, at, after});
            left.erase(left.begin() + static_cast<std::ptrdiff_t>(i));
            cut = true;
        }
        if (!cut)
            return {};
    }
    if (cross(points[left[1]] - points[left[0]], points[left[2]] - points[left[1]]) > 0)
        triangles.insert(triangles.end(), left.begin(), left.end());
    return triangles;
}

// Texture coordinates of the interior picture at a local point.
void interior_vertex(const PolygonStyle& style, const Polygon& polygon, const Vector2& at)
{
    const Vector2 offset = polygon.texture_offset;
    const double scale = style.main_scale;
    glTexCoord2d((at.x + offset.x) * scale + 0.5 - style.shift_s,
                 style.shift_t - ((at.y + offset.y) * scale + 0.5));
    vertex(at);
}

// Interior; its depth z = 0 is the reference for the light band. Binds the
// picture and leaves depth test and texturing on.
void begin_interior(const PolygonStyle& style, double alpha)
{
    bind_texture(style.main_texture, Sampling::enlarged);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glColor4d(1.0, 1.0, 1.0, alpha);
}

// Counts coverage in the stencil (inside pixels are covered an odd number of
// times), then paints the interior over the box, on odd pixels only.
void fill_counted(const PolygonStyle& style, const Polygon& polygon, const std::vector<std::vector<int>>& loops,
                  const Vector2& bbox_min, const Vector2& bbox_max, double alpha)
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glStencilFunc(GL_ALWAYS, 0, ~0u);
    glStencilOp(GL_KEEP, GL_INCR_WRAP, GL_INCR_WRAP);
    draw_fans(loops, polygon.points);

    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glStencilFunc(GL_EQUAL, 1, 1);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    begin_interior(style, alpha);
    const Vector2 low = bbox_min - Vector2(0.05, 0.05);
    const Vector2 high = bbox_max + Vector2(0.05, 0.05);
    glBegin(GL_QUADS);
    for (const Vector2& corner : {low, Vector2(high.x, low.y), high, Vector2(low.x, high.y)})
        interior_vertex(style, polygon, corner);
    glEnd();
    glDisable(GL_DEPTH_TEST);
}

// Triangles that cover an outline's inside exactly once, as a fan (a convex
// loop) or as separate triangles; no indices when it must be counted.
struct Cover {
    GLenum mode = GL_TRIANGLES;
    std::vector<int> indices;
};

Cover lean_cover(const std::vector<std::vector<int>>& loops, const std::vector<Vector2>& points)
{
    if (!lean_drawing() || loops.size() != 1)
        return {};
    if (convex_loop(loops.front(), points))
        return {GL_TRIANGLE_FAN, loops.front()};
    return {GL_TRIANGLES, triangulate(loops.front(), points)};
}

// The stencil value that marks the inside of the next covered outline: each
// gets one of its own, so that none has to put the stencil back after it (a
// pass over its whole inside) for the next. Marks are even: a count on top of
// one keeps its parity, so counting needs no clearing first either. When the
// marks run out the stencil is cleared and they start again; with the depth,
// which no polygon reads from another and which shares its buffer: a full
// clear spares the renderer keeping half of each value.
GLint next_mark()
{
    static GLint mark = 0;
    mark += 2;
    if (mark > 254) {
        glClear(GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        mark = 2;
    }
    return mark;
}

// The interior over the cover's triangles. An opaque picture at full alpha
// replaces what is below exactly as blending would, without reading it, and
// its texels are what the white colour would multiply them to.
void paint_cover(const PolygonStyle& style, const Polygon& polygon, const Cover& cover, double alpha)
{
    const bool replace = style.main_opaque && alpha >= 1.0;
    if (replace) {
        glDisable(GL_BLEND);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    glBegin(cover.mode);
    for (int index : cover.indices)
        interior_vertex(style, polygon, polygon.points[index]);
    glEnd();
    if (replace) {
        glEnable(GL_BLEND);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    }
}

// The interior alone over the cover's triangles, in one pass; leaves
// texturing on.
void paint_interior(const PolygonStyle& style, const Polygon& polygon, const Cover& cover, double alpha)
{
    bind_texture(style.main_texture, Sampling::enlarged);
    glEnable(GL_TEXTURE_2D);
    glColor4d(1.0, 1.0, 1.0, alpha);
    paint_cover(style, polygon, cover, alpha);
}

// A covered outline paints its interior in one pass and marks those pixels in
// the stencil as it goes.
void fill_covered(const PolygonStyle& style, const Polygon& polygon, const Cover& cover, GLint mark, double alpha)
{
    glStencilFunc(GL_ALWAYS, mark, ~0u);
    glStencilOp(GL_KEEP, GL_REPLACE, GL_REPLACE);
    begin_interior(style, alpha);
    paint_cover(style, polygon, cover, alpha);
    glDisable(GL_DEPTH_TEST);
}

// The edge bands and the light band, over the inside pixels the stencil
// test lets through; with `reach` > 0, only their runs outwards from the
// outline (see add_pair). Texturing must be on; leaves depth test on.
void draw_bands(const PolygonStyle& style, const Polygon& polygon, const std::vector<std::vector<int>>& loops,
                double alpha, double reach = 0.0)
{
    const std::vector<Vector2>& points = polygon.points;
    // Edge bands; each kind's picture runs on from one edge to the next.
    double edge_run = 0.0;
    double cut_run = 0.0;
    // Which picture is bound: a polygon's edges are mostly of one kind.
    int bound = -1;
    for (const auto& edge : polygon.edges) {
        if (!names_point(edge.first, points) || !names_point(edge.second, points))
            continue;
        const Vector2 a = points[edge.first];
        const Vector2 b = points[edge.second];
        const double length = (b - a).length();
        const bool cut = polygon.has_reverse(edge);
        double& run = cut ? cut_run : edge_run;
        if (bound != cut) {
            if (bound != -1)
                glEnd();
            bind_texture_at(cut ? style.cut_texture : style.edge_texture, Sampling::shrunk, style.edge_scale,
                            0.5 / style.edge_width);
            glBegin(GL_TRIANGLES);
        }
        bound = cut;
        if (reach > 0.0)
            add_edge_band_outwards(a, b, length, style.edge_width, style.edge_scale, run, reach, alpha);
        else
            add_edge_band(a, b, length, style.edge_width, style.edge_scale, run, alpha);
        run += 2.0 * style.edge_width + length;
    }
    if (bound != -1)
        glEnd();

    // Light band. The first pass leaves in the depth buffer the band
    // nearest the outline (depth grows inwards); the second draws only that.
    const std::vector<BandVertex> strip = light_band(loops, points, polygon.angle, style.light_width, reach);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUAD_STRIP);
    for (const BandVertex& v : strip)
        glVertex3d(v.x, v.y, v.z);
    glEnd();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    // Across the band is the only way its picture runs, but at the corners.
    bind_texture_at(style.light_texture, Sampling::shrunk, 0.0, 0.5 / style.light_width);
    glColor4d(1.0, 1.0, 1.0, alpha);
    // White at full alpha multiplies nothing: the texels as they are.
    if (alpha >= 1.0)
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUAD_STRIP);
    for (const BandVertex& v : strip) {
        glTexCoord2d(v.s, v.t);
        glVertex3d(v.x, v.y, v.z);
    }
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

// The inside, marked 1 in the stencil and written at the depth the light
// band is measured from, with no colour. Leaves the stencil and depth tests
// on.
void mark_inside(const Polygon& polygon, const Cover& cover)
{
    glEnable(GL_STENCIL_TEST);
    glStencilFunc(GL_ALWAYS, 1, ~0u);
    glStencilOp(GL_KEEP, GL_REPLACE, GL_REPLACE);
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_ALWAYS);
    glBegin(cover.mode);
    for (int index : cover.indices)
        vertex(polygon.points[index]);
    glEnd();
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

// The bands alone, premultiplied: what they add, and in alpha how much of
// what lies under them they hide, which laid over the interior with
// (GL_ONE, GL_ONE_MINUS_SRC_ALPHA) gives what drawing them over it gives.
void draw_bands_alone(const PolygonStyle& style, const Polygon& polygon, const Cover& cover,
                      const std::vector<std::vector<int>>& loops, double alpha)
{
    mark_inside(polygon, cover);
    glStencilFunc(GL_EQUAL, 1, ~0u);
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
    framebuffer_calls().blend_func_separate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_TEXTURE_2D);
    draw_bands(style, polygon, loops, alpha);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_STENCIL_TEST);
}

// With lean drawing a shape whose picture slides is drawn live every frame,
// but only its interior moves: the bands blended over it stay the same. Once
// they are drawn alike three times they are kept in a texture and laid over
// the interior in one pass, in place of a pass or two for each band. False
// when the shape must be drawn the usual way.
bool draw_with_overlay(const PolygonStyle& style, const Polygon& polygon, const Cover& cover,
                       const std::vector<std::vector<int>>& loops, const Vector2& bbox_min, const Vector2& bbox_max,
                       double alpha)
{
    // Enough for every sliding shape on a screen.
    static BoxTextures overlays(32);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    LayerKey key;
    for (GLuint texture : {style.edge_texture, style.cut_texture, style.light_texture})
        key.add(static_cast<std::uint64_t>(texture));
    for (double number : {style.edge_width, style.light_width, style.edge_scale, polygon.angle, alpha})
        key.add(number);
    add_outline(key, polygon);
    add_placement(key, viewport);
    const PixelBox box = window_pixels(bbox_min, bbox_max, viewport);
    const GLuint overlay =
        overlays.find(key.value(), box, [&] { draw_bands_alone(style, polygon, cover, loops, alpha); });
    if (overlay == 0)
        return false;
    paint_interior(style, polygon, cover, alpha);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    lay_box_texture(overlay, box, viewport);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    return true;
}

// Texels of a body's kept picture to a pixel of the screen: finer than the
// screen, so that laid turned and moved by a fraction of a pixel it blurs by
// no more than about a quarter of a pixel.
constexpr double picture_detail = 2.0;
// The light band alone follows the turn of a body, and slowly (its picture
// runs round the outline once a full turn): a picture stands for every turn
// within this many radians.
constexpr double picture_turn = 0.01;
// A picture of more texels than this is not kept: the shape is drawn each
// time.
constexpr int picture_most_texels = 1 << 18;
// Texels kept around the outline, where the bands run on outwards as they
// would inside: reading between texels at the outline then blends what is
// drawn there, not nothing.
constexpr int picture_margin = 2;

// The interior over strips along a loop's edges, `reach` to both sides and
// past both ends.
void paint_along_outline(const PolygonStyle& style, const Polygon& polygon, const std::vector<int>& loop, double reach)
{
    glBegin(GL_QUADS);
    for (std::size_t i = 0; i < loop.size(); ++i) {
        const Vector2 a = polygon.points[loop[i]];
        const Vector2 b = polygon.points[loop[(i + 1) % loop.size()]];
        const double length = (b - a).length();
        if (length == 0.0)
            continue;
        const Vector2 along = (b - a) * (reach / length);
        const Vector2 across(-along.y, along.x);
        for (const Vector2& corner : {a - along - across, b + along - across, b + along + across, a - along + across})
            interior_vertex(style, polygon, corner);
    }
    glEnd();
}

// Enough for every moving body on a screen but the busiest. Making one costs
// several times drawing the body: only a body that has stayed the same a
// while (a third of a second) gets one, and only one is made in a frame.
BoxTextures& body_pictures()
{
    static BoxTextures pictures(48, 20);
    return pictures;
}

// With lean drawing a body that moves is drawn live every frame, in four
// passes or so over its pixels, though its picture in its own coordinates
// stays the same while it is not cut and does not turn much. Once it has
// stayed so a while that picture is kept, premultiplied and finer than the
// screen, and laid over the body's own triangles in one pass. So are the
// walls while the camera pans, and, over a live interior, the bands of a
// shape whose picture slides. False when the shape must be drawn the usual
// way.
bool draw_from_picture(const PolygonStyle& style, const Polygon& polygon, const Cover& cover,
                       const std::vector<std::vector<int>>& loops, const Vector2& bbox_min, const Vector2& bbox_max,
                       double alpha)
{
    BoxTextures& pictures = body_pictures();
    static long made_in = -1;
    // Rounded, so that the turn of the body's matrix does not change it.
    const double texels_per_unit = std::round(pixels_per_unit() * picture_detail * 64.0) / 64.0;
    // A pixel to spare for the picture's texels to be moved onto the pixels.
    const double spare = picture_margin + picture_detail;
    const double width = std::ceil((bbox_max.x - bbox_min.x) * texels_per_unit) + 2 * spare;
    const double height = std::ceil((bbox_max.y - bbox_min.y) * texels_per_unit) + 2 * spare;
    if (!(width * height <= picture_most_texels) || texels_per_unit <= 0.0)
        return false;
    const PixelBox box{0, 0, static_cast<int>(width), static_cast<int>(height)};

    // Plus 0, as -0 would be a key of its own.
    const double turn = std::round(polygon.angle / picture_turn) + 0.0;
    // A picture that slides is drawn live, the bands alone laid over it.
    const bool slides = style.slides();
    LayerKey key;
    for (GLuint texture : {style.edge_texture, style.cut_texture, style.light_texture})
        key.add(static_cast<std::uint64_t>(texture));
    for (double number : {style.edge_width, style.light_width, style.edge_scale, alpha, texels_per_unit, turn})
        key.add(number);
    key.add(static_cast<std::uint64_t>(slides));
    if (!slides) {
        key.add(static_cast<std::uint64_t>(style.main_texture));
        for (double number : {style.main_scale, style.shift_s, style.shift_t})
            key.add(number);
        key.add(polygon.texture_offset);
    }
    add_outline(key, polygon);

    // Made only whole on the screen: drawn live, a shape costs only what
    // shows of it.
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const WindowProjection projection(viewport);
    // Where each picture starts, by its texture: set when it is made.
    static std::map<GLuint, Vector2> starts;
    Vector2 low = bbox_min - Vector2(spare, spare) / texels_per_unit;
    bool made = false;
    const GLuint picture = pictures.find(key.value(), box, [&] {
        made_in = frames_begun();
        // Every other texel on a pixel of the screen, for the body as it lies
        // now: one that stays put reads its own pixels back unblended.
        Vector2 at;
        projection.land(low, at);
        const double on_pixel = 0.5 - 0.5 / picture_detail;
        const double ppu = texels_per_unit / picture_detail;
        low -= Vector2(at.x - on_pixel - std::floor(at.x - on_pixel), at.y - on_pixel - std::floor(at.y - on_pixel)) /
               ppu;
        made = true;
        glViewport(0, 0, box.width(), box.height());
        glMatrixMode(GL_PROJECTION);
        glPushMatrix();
        glLoadIdentity();
        // Depth as on the screen: z as it is.
        glOrtho(low.x, low.x + width / texels_per_unit, low.y, low.y + height / texels_per_unit, 1.0, -1.0);
        glMatrixMode(GL_MODELVIEW);
        glPushMatrix();
        glLoadIdentity();
        framebuffer_calls().blend_func_separate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE,
                                                GL_ONE_MINUS_SRC_ALPHA);
        const ScreenLevels levels(picture_detail);
        if (slides) {
            mark_inside(polygon, cover);
            glEnable(GL_TEXTURE_2D);
        } else {
            glEnable(GL_STENCIL_TEST);
            fill_covered(style, polygon, cover, 1, alpha);
        }
        glStencilFunc(GL_EQUAL, 1, ~0u);
        glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);
        draw_bands(style, polygon, loops, alpha);
        // Outside: the interior and the bands carried on.
        glStencilFunc(GL_NOTEQUAL, 1, ~0u);
        if (!slides) {
            begin_interior(style, alpha);
            paint_along_outline(style, polygon, loops.front(), picture_margin / texels_per_unit);
        }
        draw_bands(style, polygon, loops, alpha, picture_margin / texels_per_unit);
        glDisable(GL_DEPTH_TEST);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glDisable(GL_STENCIL_TEST);
        glDisable(GL_TEXTURE_2D);
        glPopMatrix();
        glMatrixMode(GL_PROJECTION);
        glPopMatrix();
        glMatrixMode(GL_MODELVIEW);
    }, made_in != frames_begun() && projection.holds(bbox_min, bbox_max));
    if (picture == 0)
        return false;
    if (made)
        starts[picture] = low;
    low = starts[picture];
    if (slides)
        paint_interior(style, polygon, cover, alpha);
    glBindTexture(GL_TEXTURE_2D, picture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    const bool opaque = !slides && style.main_opaque && alpha >= 1.0;
    if (opaque)
        glDisable(GL_BLEND);
    else
        glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
    glBegin(cover.mode);
    for (int index : cover.indices) {
        const Vector2& p = polygon.points[index];
        glTexCoord2d((p.x - low.x) * texels_per_unit / width, (p.y - low.y) * texels_per_unit / height);
        vertex(p);
    }
    glEnd();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    return true;
}

}  // namespace

std::vector<std::string> every_style_picture()
{
    std::vector<std::string> pictures;
    for (const std::string& name : list_directory("styles/polygon"))
        if (!name.starts_with('.'))
            for (const char* picture : {"main.png", "edge.png", "cut.png", "light.png"})
                pictures.push_back(polygon_style_folder(name) + picture);
    return pictures;
}

void fetch_style_textures(const PolygonStyle& style)
{
    double aspect = 1.0;
    double edge_aspect = 1.0;
    style.main_texture = get_texture(style.folder + "main.png", aspect, GL_REPEAT, GL_REPEAT);
    style.edge_texture = get_texture(style.folder + "edge.png", edge_aspect, GL_REPEAT, GL_CLAMP);
    style.cut_texture = get_texture(style.folder + "cut.png", aspect, GL_REPEAT, GL_CLAMP);
    style.light_texture = get_texture(style.folder + "light.png", aspect, GL_REPEAT, GL_CLAMP);
    style.main_opaque = texture_opaque(style.folder + "main.png");
    style.edge_scale = 1.0 / (style.edge_width * edge_aspect);
    style.textures_fetched = true;
}

namespace {

void draw_any_polygon(const PolygonStyle& style, const Polygon& polygon, double alpha, bool moving)
{
    const std::vector<Vector2>& points = polygon.points;
    if (points.empty())
        return;
    if (!style.textures_fetched)
        fetch_style_textures(style);

    // Drawing sees a const polygon, so a stale box and outline are
    // recomputed for this draw only.
    Vector2 bbox_min = polygon.bbox_min;
    Vector2 bbox_max = polygon.bbox_max;
    std::vector<std::vector<int>> retraced_loops;
    const std::vector<std::vector<int>>* loops = &style.loops;
    if (!polygon.bbox_valid) {
        bbox_min = points.front();
        bbox_max = points.front();
        for (const Vector2& p : points) {
            bbox_min = {std::fmin(bbox_min.x, p.x), std::fmin(bbox_min.y, p.y)};
            bbox_max = {std::fmax(bbox_max.x, p.x), std::fmax(bbox_max.y, p.y)};
        }
        PolygonStyle retraced;
        polygon.trace_loops(retraced);
        retraced_loops = std::move(retraced.loops);
        loops = &retraced_loops;
    }

    // Local coordinates from here on.
    const Rotation& m = polygon.rotation;
    const GLdouble transform[16] = {m.m00, m.m10, 0.0, 0.0, m.m01, m.m11, 0.0, 0.0,
                                    0.0,   0.0,   1.0, 0.0, polygon.position.x, polygon.position.y, 0.0, 1.0};
    glPushMatrix();
    glMultMatrixd(transform);
    const Cover cover = lean_cover(*loops, points);
    // A sliding picture's bands are laid as drawn on the screen while they
    // stay put there, else from a picture of them that follows the shape.
    if (!cover.indices.empty() &&
        ((style.slides() && draw_with_overlay(style, polygon, cover, *loops, bbox_min, bbox_max, alpha)) ||
         ((moving || style.slides()) && draw_from_picture(style, polygon, cover, *loops, bbox_min, bbox_max, alpha)))) {
        glPopMatrix();
        return;
    }

    // Counting needs an even stencil where it counts: the frame starts with it
    // cleared, every counted polygon sets it back to 0 at the end and a
    // covered one leaves an even mark. That costs far fewer pixels than
    // clearing a box around each one first, above all for the many small
    // pieces of a busy level.
    glEnable(GL_STENCIL_TEST);
    if (!cover.indices.empty()) {
        const GLint mark = next_mark();
        fill_covered(style, polygon, cover, mark, alpha);
        glStencilFunc(GL_EQUAL, mark, ~0u);
    } else {
        fill_counted(style, polygon, *loops, bbox_min, bbox_max, alpha);
        glStencilFunc(GL_EQUAL, 1, 1);
    }
    // From here on only inside pixels are drawn.
    glStencilOp(GL_KEEP, GL_KEEP, GL_KEEP);

    draw_bands(style, polygon, *loops, alpha);

    // A count is put back to 0 for the next polygon, then the plain state the
    // other drawing expects.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_TEXTURE_2D);
    if (cover.indices.empty())
        clear_fans(*loops, points);
    glDisable(GL_STENCIL_TEST);
    glPopMatrix();
}

}  // namespace

void add_outline(LayerKey& key, const Polygon& polygon)
{
    for (const Vector2& p : polygon.points)
        key.add(p);
    for (const auto& [from, to] : polygon.edges)
        key.add(static_cast<std::uint64_t>(from) << 32 | static_cast<std::uint32_t>(to));
}

void draw_polygon(const PolygonStyle& style, const Polygon& polygon, double alpha)
{
    draw_any_polygon(style, polygon, alpha, false);
}

void draw_moving_polygon(const PolygonStyle& style, const Polygon& polygon)
{
    draw_any_polygon(style, polygon, 1.0, true);
}

std::uint64_t body_pictures_made()
{
    return body_pictures().made();
}
