#include "render/art/icons.hpp"

#include <algorithm>
#include <cmath>
#include <functional>

#include "render/art/shapes.hpp"

namespace {

using Shape = std::function<float(Point)>;

constexpr int icon_size = 128;
constexpr Color ivory = rgb(1.0f, 0.97f, 0.88f);
constexpr Color pale_gold = rgb(0.93f, 0.77f, 0.47f);
constexpr Color rim = rgb(0.07f, 0.06f, 0.12f);
constexpr Color keyhole = rgb(0.16f, 0.12f, 0.14f);

// Glyph coordinates: the picture spans [-1, 1] on both axes, y up.
Point glyph_point(int x, int y, int size)
{
    const float k = 2.0f / static_cast<float>(size);
    return {(static_cast<float>(x) + 0.5f) * k - 1, 1 - (static_cast<float>(y) + 0.5f) * k};
}

float union_of(std::initializer_list<float> distances)
{
    return std::min(distances);
}

float triangle(Point p, Point a, Point b, Point c, float round)
{
    return polygon_distance(p, {a, b, c}) - round;
}

// Draws a glyph: a soft shadow, a dark rim around the shape, and the shape
// filled with a warm gradient and a bevel lit from the upper left. `inset`
// marks dark details inside the shape (the padlock's keyhole).
Canvas draw_glyph(const Shape& shape, const Shape& inset = {})
{
    const int n = icon_size;
    const float pixel = 2.0f / static_cast<float>(n);
    const float stroke = 0.075f, bevel = 0.11f;
    Canvas outline(n, n), body(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const Point p = glyph_point(x, y, n);
            const float d = shape(p);
            outline.at(x, y) = with_alpha(rim, 0.92f * coverage((d - stroke) / pixel));
            const float cover = coverage(d / pixel);
            if (cover <= 0)
                continue;
            // Outward normal from the distance field: where the bevel faces the light.
            const float e = pixel * 0.5f;
            Point normal{shape({p.x + e, p.y}) - shape({p.x - e, p.y}), shape({p.x, p.y + e}) - shape({p.x, p.y - e})};
            const float len = length(normal);
            normal = len > 0 ? normal * (1 / len) : Point{};
            const float facing = dot(normal, Point{-0.55f, 0.83f});
            const float near_edge = 1 - smoothstep(0, bevel, -d);
            Color c = mix(ivory, pale_gold, clamp01(0.5f - 0.55f * p.y));
            c = facing > 0 ? mix(c, rgb(1, 1, 0.97f), 0.75f * near_edge * facing)
                           : mix(c, rgb(0.62f, 0.42f, 0.22f), -0.6f * near_edge * facing);
            if (inset)
                c = mix(c, keyhole, coverage(inset(p) / pixel));
            body.at(x, y) = with_alpha(c, cover);
        }
    Canvas icon(n, n);
    Canvas shadow = silhouette(outline, rgb(0.0f, 0.0f, 0.04f));
    blur(shadow, n * 0.035f, false);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            shadow.at(x, y) = shadow.at(x, y) * 0.65f;
    composite(icon, shadow, n / 48, n / 28);
    composite(icon, outline, 0, 0);
    composite(icon, body, 0, 0);
    return icon;
}

float play_triangle(Point p, float left, float right, float half_height)
{
    return triangle(p, {left, half_height}, {left, -half_height}, {right, 0}, 0.05f);
}

float left_triangle(Point p, float left, float right, float half_height)
{
    return triangle(p, {right, half_height}, {left, 0}, {right, -half_height}, 0.05f);
}

float bar(Point p, float centre_x, float half_height)
{
    return box_distance(p, {centre_x, 0}, {0.085f, half_height}, 0.05f);
}

float arrow_head(Point p, Point tip, Point direction, float length_, float half_width)
{
    const Point side{-direction.y, direction.x};
    const Point base = tip - direction * length_;
    return triangle(p, tip, base + side * half_width, base - side * half_width, 0.03f);
}

float padlock(Point p)
{
    // The shackle: the upper half of a ring, carried down into the body by two legs.
    const Point top{0, 0.2f};
    const float ring = std::abs(length(p - top) - 0.34f) - 0.085f;
    const float shackle = p.y >= top.y ? ring
                                       : std::min(segment_distance(p, {-0.34f, top.y}, {-0.34f, -0.2f}, 0.085f),
                                                  segment_distance(p, {0.34f, top.y}, {0.34f, -0.2f}, 0.085f));
    return std::min(shackle, box_distance(p, {0, -0.36f}, {0.58f, 0.42f}, 0.12f));
}

float padlock_keyhole(Point p)
{
    return std::min(circle_distance(p, {0, -0.27f}, 0.11f),
                    triangle(p, {0, -0.3f}, {-0.08f, -0.6f}, {0.08f, -0.6f}, 0.01f));
}

float four_way_arrows(Point p)
{
    const float reach = 0.8f, head = 0.3f;
    float d = std::min(segment_distance(p, {-reach + head, 0}, {reach - head, 0}, 0.075f),
                       segment_distance(p, {0, -reach + head}, {0, reach - head}, 0.075f));
    for (const Point dir : {Point{1, 0}, Point{-1, 0}, Point{0, 1}, Point{0, -1}})
        d = std::min(d, arrow_head(p, dir * reach, dir, head, 0.24f));
    return std::min(d, circle_distance(p, {0, 0}, 0.17f));
}

// The translucent panel behind the playback bar; it is stretched over the
// whole width of the screen, so the corners are only gently rounded.
Canvas draw_panel()
{
    const int w = 512, h = 64;
    Canvas panel(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Point p{static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f};
            const float d = box_distance(p, {w * 0.5f, h * 0.5f}, {w * 0.5f - 2, h * 0.5f - 2}, 18);
            const float cover = coverage(d);
            const float v = p.y / static_cast<float>(h);
            Color c = mix(rgb(0.13f, 0.12f, 0.24f), rgb(0.03f, 0.03f, 0.08f), v);
            float alpha = 0.72f + 0.16f * v;
            // A thin warm line along the top catches the eye as the bar's edge.
            const float line = std::exp(-std::pow((d + 4.0f) / 1.6f, 2.0f)) * (1 - smoothstep(0.3f, 0.6f, v));
            c = mix(c, rgb(0.95f, 0.78f, 0.5f), 0.55f * line);
            alpha = std::max(alpha, 0.8f * line);
            panel.at(x, y) = with_alpha(c, alpha * cover);
        }
    return panel;
}

}  // namespace

std::vector<NamedPicture> draw_menu_pictures()
{
    std::vector<NamedPicture> pictures;
    const auto add = [&](const char* name, const Shape& shape, const Shape& inset = {}) {
        pictures.push_back({name, draw_glyph(shape, inset)});
    };
    // "Take over here": a play triangle inside a ring.
    add("play", [](Point p) {
        return std::min(std::abs(circle_distance(p, {0, 0}, 0.68f)) - 0.08f, play_triangle(p, -0.22f, 0.36f, 0.34f));
    });
    add("stopleft", [](Point p) {
        return union_of({bar(p, -0.58f, 0.5f), left_triangle(p, -0.44f, 0.06f, 0.5f), left_triangle(p, 0.06f, 0.62f, 0.5f)});
    });
    add("pause", [](Point p) { return std::min(bar(p, -0.26f, 0.56f) - 0.04f, bar(p, 0.26f, 0.56f) - 0.04f); });
    add("frameforward", [](Point p) { return std::min(play_triangle(p, -0.5f, 0.3f, 0.55f), bar(p, 0.47f, 0.55f)); });
    add("arrow_right", [](Point p) { return play_triangle(p, -0.45f, 0.62f, 0.62f); });
    add("fastforward", [](Point p) { return std::min(play_triangle(p, -0.66f, -0.02f, 0.5f), play_triangle(p, -0.02f, 0.66f, 0.5f)); });
    add("stopright", [](Point p) {
        return union_of({play_triangle(p, -0.62f, -0.06f, 0.5f), play_triangle(p, -0.06f, 0.44f, 0.5f), bar(p, 0.58f, 0.5f)});
    });
    add("plus", [](Point p) {
        return std::min(segment_distance(p, {-0.6f, 0}, {0.6f, 0}, 0.17f), segment_distance(p, {0, -0.6f}, {0, 0.6f}, 0.17f));
    });
    add("minus", [](Point p) { return segment_distance(p, {-0.6f, 0}, {0.6f, 0}, 0.17f); });
    add("arrow_up", [](Point p) { return triangle(p, {-0.62f, -0.4f}, {0.62f, -0.4f}, {0, 0.5f}, 0.07f); });
    add("lock", padlock, padlock_keyhole);
    add("scroll", four_way_arrows);
    pictures.push_back({"empty", draw_panel()});
    return pictures;
}
