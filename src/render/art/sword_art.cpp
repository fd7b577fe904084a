#include "render/art/sword_art.hpp"

#include <algorithm>
#include <cmath>

#include "render/art/noise.hpp"
#include "render/art/shapes.hpp"

namespace {

constexpr Color steel_dark = rgb(0.42f, 0.5f, 0.62f);
constexpr Color steel_light = rgb(0.86f, 0.92f, 0.98f);
constexpr Color brass = rgb(0.86f, 0.62f, 0.28f);
constexpr Color brass_light = rgb(1.0f, 0.9f, 0.62f);
constexpr Color grip_colour = rgb(0.26f, 0.15f, 0.2f);
constexpr Color rim = rgb(0.05f, 0.04f, 0.1f);

// Blade coordinates: x from 0 (hilt end) to 1 (tip), y across from -0.5 to 0.5.
// The blade tapers from its base to the shoulder, then runs to the point.
constexpr float blade_start = 0.3f, base_half = 0.056f, shoulder_x = 0.86f, shoulder_half = 0.042f, tip_x = 0.985f;

float blade_half_width(float x)
{
    return base_half + (shoulder_half - base_half) * (std::min(x, shoulder_x) - blade_start) / (shoulder_x - blade_start);
}

float blade_distance(Point p)
{
    return polygon_distance(p, {{blade_start, -base_half}, {shoulder_x, -shoulder_half}, {tip_x, 0}, {shoulder_x, shoulder_half},
                                {blade_start, base_half}});
}

float guard_distance(Point p)
{
    return segment_distance(p, {0.285f, -0.16f}, {0.285f, 0.16f}, 0.026f);
}

float grip_distance(Point p)
{
    return box_distance(p, {0.185f, 0}, {0.09f, 0.034f}, 0.012f);
}

float pommel_distance(Point p)
{
    return circle_distance(p, {0.07f, 0}, 0.046f);
}

// Brass, shaded as a rounded bar: `middle` is 1 along its ridge, 0 at its sides.
Color brass_at(float middle)
{
    return mix(mix(rgb(0.5f, 0.32f, 0.14f), brass, smoothstep(0.0f, 0.5f, middle)), brass_light, smoothstep(0.6f, 1.0f, middle));
}

Color sword_colour(Point p)
{
    if (blade_distance(p) < 0.004f) {
        // Across the blade: bright cutting edges, a shaded flat, a lit ridge.
        const float across = std::abs(p.y) / blade_half_width(p.x);
        const float ridge = std::exp(-across * across * 40);
        const float edge = smoothstep(0.72f, 0.98f, across);
        const float flat = 0.55f + 0.45f * (p.y > 0 ? 1.0f : 0.55f) * (1 - across);
        Color c = mix(steel_dark, steel_light, clamp01(flat * 0.8f));
        c = mix(c, rgb(1, 1, 1), 0.8f * ridge);
        c = mix(c, rgb(1.0f, 0.97f, 0.88f), 0.85f * edge);
        // A warm sheen towards the tip, where the sword cuts.
        return mix(c, rgb(1.0f, 0.86f, 0.6f), 0.35f * smoothstep(0.7f, 1.0f, p.x));
    }
    if (guard_distance(p) < 0.004f)
        return brass_at(1 - std::abs(p.x - 0.285f) / 0.026f);
    if (pommel_distance(p) < 0.004f)
        return brass_at(1 - length(p - Point{0.07f, 0}) / 0.046f);
    // The grip: dark wrapped cord, its turns slanted across.
    const float wrap = 0.5f + 0.5f * std::sin((p.x * 90 + p.y * 40) * 3.14159265f);
    const float round = 1 - std::abs(p.y) / 0.034f;
    return shade(mix(grip_colour, rgb(0.5f, 0.32f, 0.36f), 0.55f * wrap * round), 0.7f + 0.5f * round);
}

}  // namespace

SwordArt draw_sword_art()
{
    const int n = 256;
    const float pixel = 1.0f / static_cast<float>(n);
    Canvas body(n, n), outline(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const Point p{(static_cast<float>(x) + 0.5f) * pixel, 0.5f - (static_cast<float>(y) + 0.5f) * pixel};
            const float d = std::min({blade_distance(p), guard_distance(p), grip_distance(p), pommel_distance(p)});
            outline.at(x, y) = with_alpha(rim, 0.7f * coverage((d - 0.006f) / pixel));
            body.at(x, y) = with_alpha(sword_colour(p), coverage(d / pixel));
        }
    // A faint warm halo keeps the thin blade visible on the dark background.
    Canvas glow = silhouette(body, rgb(1.0f, 0.8f, 0.5f));
    blur(glow, 7, false);
    SwordArt art{Canvas(n, n), Canvas(256, 64)};
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x)
            art.blade.at(x, y) = glow.at(x, y) * 0.45f;
    composite(art.blade, outline, 0, 0);
    composite(art.blade, body, 0, 0);

    art.tail.fill([](float s, float t) {
        const float across = std::abs(2 * t - 1);
        const float streaks = 0.85f + 0.3f * value_noise(s * 6, t * 18, 64, 64, 404);
        const float along = std::pow(1 - s, 1.2f);
        const float body_alpha = std::exp(-across * across * 3) * (1 - smoothstep(0.7f, 1.0f, across));
        const float core = std::exp(-across * across * 30);
        const Color c = mix(rgb(1.0f, 0.66f, 0.3f), rgb(1.0f, 0.97f, 0.9f), clamp01(core + 0.3f * (1 - s)));
        return with_alpha(c, clamp01(0.95f * along * streaks * std::max(body_alpha, core)));
    });
    return art;
}

Canvas draw_particle()
{
    // About a texel for each pixel of a spark in a window 768 pixels high, so
    // that a software renderer can read it unfiltered.
    Canvas spark(128, 128);
    spark.fill([](float u, float v) {
        const float r = 2 * std::sqrt((u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f));
        const float halo = std::exp(-r * r * 5) * (1 - smoothstep(0.8f, 1.0f, r));
        const float core = std::exp(-r * r * 60);
        const Color c = mix(rgb(1.0f, 0.84f, 0.58f), rgb(1, 1, 1), clamp01(core * 1.5f + 0.3f * halo));
        return with_alpha(c, clamp01(0.9f * halo + 0.6f * core));
    });
    return spark;
}
