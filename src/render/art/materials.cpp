#include "render/art/materials.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "render/art/noise.hpp"
#include "render/art/shapes.hpp"

namespace {

constexpr int main_size = 256;
constexpr int band_length = 256, band_width = 32;
constexpr float pi = 3.14159265f;
// The world direction the light comes from, in turns: a little left of straight up.
constexpr float key_direction = 0.28f;
// Band pixels are square in the game (the edge scale divides by the aspect),
// so a band's depth runs over an eighth of the cells of its length.
constexpr float band_aspect = static_cast<float>(band_length) / band_width;

float sq(float x)
{
    return x * x;
}

float frac(float x)
{
    return x - std::floor(x);
}

// Noise over the unit square that repeats with it.
float tile_fbm(float u, float v, int period, std::uint32_t seed, int octaves, float gain = 0.5f)
{
    return fbm(u * period, v * period, period, period, seed, octaves, gain);
}

// Noise over a band: repeats along s only; depth is 0 on the outline.
float band_fbm(float s, float depth, int period, std::uint32_t seed, int octaves)
{
    return fbm(s * period, depth * period / band_aspect, period, 1 << 12, seed, octaves);
}

Canvas main_picture(Color (*shade_at)(float u, float v))
{
    Canvas picture(main_size, main_size);
    picture.fill(shade_at);
    return picture;
}

// Calls shade(s, depth) for every pixel of a band picture; depth is 0 on the
// outline (the bottom row, t = 1) and 1 at the band's inner side (t = 0).
template <class Shade>
Canvas band_picture(Shade&& shade_at)
{
    Canvas band(band_length, band_width);
    band.fill([&](float s, float t) { return shade_at(s, 1 - t); });
    return band;
}

struct EdgeLook {
    Color outline;      // the dark line on the border itself
    Color bevel;        // the material just inside it
    Color highlight;    // a thin lit line between the two
    float line_depth;   // how far into the band the dark line reaches
    float roughness;    // how much its inner side wobbles (chipped stone)
    float bevel_alpha;  // opacity of the bevel before it fades inward
    std::uint32_t seed;
};

Color edge_at(const EdgeLook& look, float s, float depth)
{
    const float line_end = look.line_depth + look.roughness * (band_fbm(s, 0, 24, look.seed, 4) - 0.5f);
    const float dark = 1 - smoothstep(line_end - 0.06f, line_end + 0.04f, depth);
    const float lit = std::exp(-sq((depth - line_end - 0.09f) / 0.07f));
    const float grain = band_fbm(s, depth, 48, look.seed + 1, 4);
    const Color c = mix(shade(look.bevel, 0.8f + 0.4f * grain), look.highlight, 0.75f * lit);
    const float alpha = std::max(look.bevel_alpha, 0.85f * lit) * (1 - smoothstep(0.25f, 1.0f, depth));
    return over(with_alpha(look.outline, dark), with_alpha(c, alpha));
}

Canvas edge_picture(const EdgeLook& look)
{
    return band_picture([&](float s, float depth) { return edge_at(look, s, depth); });
}

struct LightLook {
    Color warm;  // rim light on edges facing the light
    float warm_strength;
    float warm_reach;  // e-folding depth, in band widths
    Color cool;  // shade on edges facing away
    float cool_strength;
    float cool_reach;
    float gloss;  // a thin bright line on lit outlines: shiny materials
};

Canvas light_picture(const LightLook& look)
{
    return band_picture([&](float s, float depth) {
        const float facing = std::cos(2 * pi * (s - key_direction));
        const float fade = 1 - smoothstep(0.6f, 1.0f, depth);
        const float warm = look.warm_strength * smoothstep(-0.2f, 1.0f, facing) * std::exp(-depth / look.warm_reach);
        const float cool = look.cool_strength * smoothstep(0.0f, 1.0f, -facing) * std::exp(-depth / look.cool_reach);
        const float gloss = look.gloss * std::pow(std::max(facing, 0.0f), 6.0f) * std::exp(-sq(depth / 0.14f));
        const Color layer = over(with_alpha(rgb(1, 1, 0.96f), clamp01(gloss)),
                                 over(with_alpha(look.warm, clamp01(warm)), with_alpha(look.cool, clamp01(cool))));
        return layer * fade;
    });
}

// A fresh slit: white-hot on the cut line, cooling through orange to a deep
// ember glow inward, flickering along its length.
Canvas cut_picture(std::uint32_t seed)
{
    return band_picture([&](float s, float depth) {
        const float flicker = band_fbm(s, depth * 0.3f, 16, seed, 4);
        const float heat = std::exp(-depth / (0.16f + 0.22f * flicker));
        Color c = mix(rgb(0.55f, 0.06f, 0.04f), rgb(1.0f, 0.5f, 0.12f), smoothstep(0.1f, 0.55f, heat));
        c = mix(c, rgb(1.0f, 0.97f, 0.84f), smoothstep(0.6f, 0.95f, heat));
        const CellSample spark = cells(s * 32, depth * 4, 32, 1 << 12, seed + 5);
        const float glint = (1 - smoothstep(0.05f, 0.11f, spark.f1)) * (spark.id % 3 == 0 ? 1.0f : 0.0f);
        const float alpha = clamp01(1.25f * heat) * (1 - smoothstep(0.75f, 1.0f, depth));
        return over(with_alpha(rgb(1.0f, 0.85f, 0.5f), 0.8f * glint * (1 - depth)), with_alpha(c, alpha));
    });
}

Color sandstone(float u, float v)
{
    // Gently warped beds of sand, each with its own tone; the bed index
    // repeats with the tile.
    constexpr int beds = 8;
    constexpr Color tones[beds] = {rgb(0.84f, 0.64f, 0.44f), rgb(0.79f, 0.58f, 0.39f), rgb(0.88f, 0.69f, 0.49f),
                                   rgb(0.81f, 0.6f, 0.41f),  rgb(0.86f, 0.67f, 0.47f), rgb(0.76f, 0.55f, 0.37f),
                                   rgb(0.87f, 0.68f, 0.47f), rgb(0.82f, 0.62f, 0.42f)};
    const float h = v * beds + 1.2f * tile_fbm(u, v, 2, 12, 4);
    const int bed = static_cast<int>(std::floor(h));
    const float within = h - static_cast<float>(bed);
    const Color here = tones[((bed % beds) + beds) % beds], next = tones[(((bed + 1) % beds) + beds) % beds];
    Color c = mix(here, next, smoothstep(0.6f, 1.0f, within));
    c = shade(c, 0.9f + 0.2f * tile_fbm(u, v, 6, 11, 4));
    // Sand grain, crisp down to the pixel.
    const float grain = hash_unit(static_cast<int>(u * main_size), static_cast<int>(v * main_size), 13);
    c = shade(c, 0.95f + 0.1f * grain + 0.1f * (tile_fbm(u, v, 64, 14, 2) - 0.5f));
    const CellSample pebble = cells(u * 8, v * 8, 8, 8, 15);
    const float stone = pebble.id % 5 == 0 ? coverage((pebble.f1 - 0.05f - 0.04f * static_cast<float>(pebble.id % 3) / 2) * 32) : 0.0f;
    return mix(c, shade(c, pebble.id % 2 ? 0.78f : 1.1f), stone);
}

Color wood(float u, float v)
{
    constexpr int planks = 4;
    const int row = static_cast<int>(v * planks);
    const float y = v * planks - static_cast<float>(row);
    // Each plank is one board with its butt joint somewhere along it; the
    // grain follows the board, so it breaks at the joint but wraps with the tile.
    const float joint = hash_unit(row, 0, 21);
    const float x = frac(u - joint);
    const float warp = fbm(x * 3, y * 1.5f, 1 << 12, 1 << 12, 22u + row, 5);
    const float rings = 0.5f + 0.5f * std::sin(2 * pi * (y * 5 + 3.0f * warp));
    const float fibre = fbm(x * 6, v * 220, 1 << 12, 220, 23, 3);
    Color c = mix(rgb(0.8f, 0.55f, 0.3f), rgb(0.5f, 0.29f, 0.14f), std::pow(rings, 2.5f) * 0.8f);
    c = shade(c, (0.84f + 0.3f * fibre) * (0.92f + 0.16f * hash_unit(row, 1, 21)));
    const float seam = std::min(y, 1 - y) * 64;  // pixels from the plank's long edges
    c = shade(c, 0.45f + 0.55f * smoothstep(0.5f, 2.5f, seam));
    c = mix(c, rgb(0.96f, 0.78f, 0.5f), 0.25f * (y < 0.5f ? 1.0f : 0.0f) * std::exp(-sq((seam - 3.5f) / 1.2f)));
    const float end = std::min(x, 1 - x) * 256;  // pixels from the butt joint
    return shade(c, 0.45f + 0.55f * smoothstep(0.5f, 2.0f, end));
}

Color granite(float u, float v)
{
    const CellSample facet = cells(u * 5, v * 5, 5, 5, 31);
    const float mottling = tile_fbm(u, v, 4, 32, 5);
    const float tone = static_cast<float>(facet.id & 255u) / 255.0f;
    Color c = mix(rgb(0.33f, 0.36f, 0.45f), rgb(0.58f, 0.61f, 0.68f), 0.15f + 0.4f * mottling + 0.3f * tone);
    c = shade(c, 1 - 0.3f * (1 - smoothstep(0.0f, 0.035f, facet.f2 - facet.f1)));
    const CellSample fleck = cells(u * 40, v * 40, 40, 40, 33);
    const float fleck_mask = (1 - smoothstep(0.1f, 0.2f + 0.1f * static_cast<float>(fleck.id % 4) / 3, fleck.f1)) * (fleck.id % 3 == 2 ? 0.0f : 0.8f);
    constexpr Color fleck_colours[3] = {rgb(0.82f, 0.83f, 0.86f), rgb(0.16f, 0.17f, 0.22f), rgb(0.66f, 0.53f, 0.52f)};
    c = mix(c, fleck_colours[(fleck.id >> 4) % 3], 0.5f * fleck_mask);
    return shade(c, 0.94f + 0.12f * tile_fbm(u, v, 128, 34, 1));
}

Color ice(float u, float v)
{
    const CellSample facet = cells(u * 4, v * 4, 4, 4, 41, 0.9f);
    // Each facet is a tilted plane: a random tone plus a gradient across it.
    const float tilt = static_cast<float>((facet.id >> 8) & 255u) / 255.0f;
    const float angle = static_cast<float>(facet.id & 1023u) / 1023.0f * 2 * pi;
    const float across = 0.5f + 1.2f * (facet.dx * std::cos(angle) + facet.dy * std::sin(angle));
    Color c = mix(rgb(0.5f, 0.76f, 0.9f), rgb(0.86f, 0.97f, 1.0f), clamp01(0.2f + 0.45f * tilt + 0.35f * across));
    const float frost = tile_fbm(u, v, 8, 42, 5);
    c = mix(c, rgb(0.96f, 0.99f, 1.0f), 0.45f * smoothstep(0.55f, 0.8f, frost));
    const float facet_edge = 1 - smoothstep(0.0f, 0.04f, facet.f2 - facet.f1);
    c = mix(c, rgb(1, 1, 1), 0.75f * facet_edge);
    const CellSample bubble = cells(u * 20, v * 20, 20, 20, 43);
    const float ring = std::exp(-sq((bubble.f1 - 0.07f) / 0.02f)) * (bubble.id % 4 == 0 ? 1.0f : 0.0f);
    c = mix(c, rgb(1, 1, 1), 0.6f * ring);
    return with_alpha(c, clamp01(0.78f + 0.2f * facet_edge + 0.12f * frost));
}

// A domed rivet lit from the upper left, with its soft shadow, as a layer;
// (dx, dy) from its centre in pixels, y down.
Color rivet(float dx, float dy, float radius)
{
    const float shadow_distance = std::sqrt(sq(dx - 1.5f) + sq(dy - 2)) - radius;
    const Color shadow = with_alpha(rgb(0.02f, 0.02f, 0.05f), 0.55f * std::exp(-sq(std::max(0.0f, shadow_distance) / 1.5f)));
    const float cover = coverage(std::sqrt(dx * dx + dy * dy) - radius);
    if (cover <= 0)
        return shadow;
    const float nx = dx / radius, ny = dy / radius, nz = std::sqrt(std::max(0.0f, 1 - nx * nx - ny * ny));
    const float light = std::max(0.0f, -0.45f * nx - 0.55f * ny + 0.7f * nz);
    const float shine = std::pow(std::max(0.0f, -0.3f * nx - 0.45f * ny + 0.84f * nz), 24.0f);
    const Color c = mix(shade(rgb(0.5f, 0.55f, 0.62f), 0.35f + 0.9f * light), rgb(1, 1, 1), shine);
    return over(with_alpha(c, cover), shadow);
}

Color steel_plate(float u, float v)
{
    constexpr float plate = main_size / 2.0f;  // pixels per plate side
    const float px = frac(u * 2) * plate, py = frac(v * 2) * plate;
    const int plate_id = static_cast<int>(u * 2) + 2 * static_cast<int>(v * 2);
    const float brushed = fbm(u * 3, v * 160, 3, 160, 51, 3);
    const float sheen = tile_fbm(u, v, 2, 52, 3);
    Color c = mix(rgb(0.42f, 0.47f, 0.55f), rgb(0.72f, 0.76f, 0.82f),
                  clamp01(0.2f + 0.4f * brushed + 0.35f * sheen + 0.12f * hash_unit(plate_id, 0, 53)));
    // Seams between plates: a dark groove, the lips lit from above and left.
    const float edge = std::min(std::min(px, plate - px), std::min(py, plate - py));
    c = shade(c, 0.35f + 0.65f * smoothstep(0.5f, 2.5f, edge));
    const float lip = std::exp(-sq((edge - 3.5f) / 1.3f));
    const bool lit_side = std::min(px, py) <= std::min(plate - px, plate - py);
    c = lit_side ? mix(c, rgb(0.92f, 0.95f, 1.0f), 0.45f * lip) : shade(c, 1 - 0.25f * lip);
    const float inset = 11;
    const float rx = px < plate / 2 ? px - inset : px - (plate - inset);
    const float ry = py < plate / 2 ? py - inset : py - (plate - inset);
    return over(rivet(rx, ry, 5.5f), c);
}

Color goal_field(float u, float v)
{
    const float wash = tile_fbm(u, v, 4, 61, 4);
    Color layer = with_alpha(rgb(0.06f, 0.42f, 0.38f), 0.24f + 0.1f * wash);
    // Chevrons pointing down: the region takes what falls into it. Two columns,
    // the second half a step lower.
    const int column = static_cast<int>(u * 2);
    const Point p{frac(u * 2) - 0.5f, 0.5f - frac(v * 2 + 0.5f * static_cast<float>(column))};
    const float d = std::min(segment_distance(p, {-0.28f, 0.14f}, {0, -0.12f}, 0.045f),
                             segment_distance(p, {0, -0.12f}, {0.28f, 0.14f}, 0.045f));
    const float glow = std::exp(-std::max(d, 0.0f) * 16);
    layer = over(with_alpha(rgb(0.2f, 0.95f, 0.65f), 0.35f * glow), layer);
    layer = over(with_alpha(rgb(0.72f, 1.0f, 0.86f), 0.75f * coverage(d * main_size / 2)), layer);
    const float shimmer = std::exp(-sq((frac(u + v) - 0.5f) / 0.12f)) * 0.12f;
    return over(with_alpha(rgb(0.8f, 1.0f, 0.9f), shimmer), layer);
}

Color brick_wall(float u, float v)
{
    constexpr int rows = 4;
    const int row = static_cast<int>(v * rows);
    const float bx = u * 2 + (row % 2 ? 0.5f : 0.0f);
    const int column = static_cast<int>(bx) % 2;
    const Point p{frac(bx) * 128, frac(v * rows) * 64};
    // Worn stones: the outline wobbles with noise, so no two bricks are alike.
    const float wear = 3.0f * (tile_fbm(u, v, 16, 66, 3) - 0.5f);
    const auto brick = [&](Point q) { return box_distance(q, {64, 32}, {61, 29}, 6) + wear; };
    const float d = brick(p);
    const float rough = tile_fbm(u, v, 16, 62, 4);
    const Color mortar = shade(rgb(0.07f, 0.06f, 0.1f), 0.8f + 0.4f * rough);
    const float tone = hash_unit(row, column, 63);
    Color c = mix(rgb(0.17f, 0.16f, 0.25f), rgb(0.36f, 0.33f, 0.45f), clamp01(0.2f + 0.5f * tone + 0.6f * (rough - 0.5f)));
    c = shade(c, 0.9f + 0.2f * tile_fbm(u, v, 64, 65, 2));
    const float pits = smoothstep(0.7f, 0.78f, tile_fbm(u, v, 32, 64, 3));
    c = shade(c, 1 - 0.4f * pits);
    // Bevel: the brick's rim lit from above, shaded below.
    const Point outward{(brick({p.x + 1, p.y}) - brick({p.x - 1, p.y})) * 0.5f, (brick({p.x, p.y + 1}) - brick({p.x, p.y - 1})) * 0.5f};
    const float lit = dot(outward, Point{-0.35f, -0.9f}) * (1 - smoothstep(0.0f, 6.0f, -d));
    c = lit > 0 ? mix(c, rgb(0.58f, 0.55f, 0.7f), 0.6f * lit) : shade(c, 1 + 0.5f * lit);
    return mix(c, mortar, 1 - coverage(d));
}

Color glass(float u, float v)
{
    const float k = frac(u + v);
    const float streaks = 0.35f * std::exp(-sq((k - 0.3f) / 0.05f)) + 0.3f * std::exp(-sq((k - 0.4f) / 0.014f));
    const float cloud = tile_fbm(u, v, 3, 81, 4);
    const Color body = with_alpha(rgb(0.58f, 0.8f, 1.0f), 0.2f + 0.1f * cloud);
    return over(with_alpha(rgb(0.95f, 0.98f, 1.0f), streaks), body);
}

Color lava(float u, float v)
{
    const float heat = tile_fbm(u, v, 4, 72, 5);
    const CellSample crust = cells(u * 5, v * 5, 5, 5, 71, 0.9f);
    const float crack = std::exp(-(crust.f2 - crust.f1) / (0.04f + 0.1f * heat));
    const float texture = tile_fbm(u, v, 24, 73, 4);
    Color c = mix(rgb(0.1f, 0.05f, 0.06f), rgb(0.3f, 0.12f, 0.09f), texture * (0.6f + 0.4f * heat));
    c = mix(c, rgb(0.75f, 0.12f, 0.03f), smoothstep(0.05f, 0.35f, crack));
    c = mix(c, rgb(1.0f, 0.55f, 0.12f), smoothstep(0.3f, 0.7f, crack));
    return mix(c, rgb(1.0f, 0.93f, 0.62f), smoothstep(0.75f, 1.0f, crack));
}

// Rivets along a metal edge, four per picture length.
Canvas riveted_edge(const EdgeLook& look)
{
    return band_picture([&](float s, float depth) {
        const float dx = frac(s * 4 + 0.5f) * 64 - 32, dy = (0.55f - depth) * band_width;
        return over(rivet(dx, dy, 5.0f), edge_at(look, s, depth));
    });
}

// The goal's rim: a glowing line on the outline with dashes inside it.
Canvas goal_edge()
{
    return band_picture([](float s, float depth) {
        const float line = std::exp(-sq(depth / 0.12f));
        const float dash_phase = frac(s * 8 + 0.25f);
        const float dash = smoothstep(0.0f, 0.04f, dash_phase) * (1 - smoothstep(0.5f, 0.54f, dash_phase));
        const float dashes = dash * std::exp(-sq((depth - 0.42f) / 0.11f));
        const float glow = std::exp(-depth / 0.35f) * 0.35f;
        return over(with_alpha(rgb(0.85f, 1.0f, 0.92f), clamp01(line * 0.95f + 0.7f * dashes)),
                    with_alpha(rgb(0.2f, 0.85f, 0.6f), glow));
    });
}

PolygonStyleArt style(std::string name, Canvas main, Canvas edge, std::uint32_t cut_seed, const LightLook& light)
{
    return {std::move(name), std::move(main), std::move(edge), cut_picture(cut_seed), light_picture(light)};
}

constexpr Color shadow_blue = rgb(0.03f, 0.04f, 0.14f);

}  // namespace

std::vector<PolygonStyleArt> draw_polygon_styles()
{
    std::vector<PolygonStyleArt> styles;
    styles.push_back(style("default", main_picture(sandstone),
                           edge_picture({rgb(0.2f, 0.11f, 0.08f), rgb(0.88f, 0.7f, 0.5f), rgb(0.97f, 0.84f, 0.64f), 0.2f,
                                         0.08f, 0.55f, 101}),
                           102, {rgb(1.0f, 0.93f, 0.76f), 0.7f, 0.4f, shadow_blue, 0.55f, 0.5f, 0.3f}));
    styles.push_back(style("wood", main_picture(wood),
                           edge_picture({rgb(0.16f, 0.08f, 0.04f), rgb(0.62f, 0.38f, 0.18f), rgb(0.95f, 0.75f, 0.45f), 0.22f,
                                         0.03f, 0.75f, 111}),
                           112, {rgb(1.0f, 0.9f, 0.7f), 0.6f, 0.4f, shadow_blue, 0.55f, 0.5f, 0.2f}));
    styles.push_back(style("stone", main_picture(granite),
                           edge_picture({rgb(0.07f, 0.08f, 0.12f), rgb(0.48f, 0.51f, 0.59f), rgb(0.68f, 0.7f, 0.76f), 0.24f,
                                         0.3f, 0.6f, 121}),
                           122, {rgb(1.0f, 0.92f, 0.76f), 0.55f, 0.4f, shadow_blue, 0.6f, 0.55f, 0.1f}));
    styles.push_back(style("ice", main_picture(ice),
                           edge_picture({rgb(0.1f, 0.25f, 0.42f), rgb(0.85f, 0.97f, 1.0f), rgb(1, 1, 1), 0.14f, 0.05f,
                                         0.7f, 131}),
                           132, {rgb(0.9f, 0.97f, 1.0f), 0.6f, 0.3f, rgb(0.05f, 0.14f, 0.3f), 0.4f, 0.5f, 0.6f}));
    const EdgeLook steel_edge{rgb(0.05f, 0.06f, 0.09f), rgb(0.46f, 0.51f, 0.59f), rgb(0.9f, 0.94f, 1.0f), 0.18f, 0.0f, 0.92f, 141};
    styles.push_back(style("metal", main_picture(steel_plate), riveted_edge(steel_edge), 142,
                           {rgb(1.0f, 0.9f, 0.72f), 0.5f, 0.25f, shadow_blue, 0.6f, 0.45f, 0.8f}));
    styles.push_back(style("goal", main_picture(goal_field), goal_edge(), 152,
                           {rgb(0.7f, 1.0f, 0.85f), 0.35f, 0.3f, rgb(0.0f, 0.08f, 0.1f), 0.2f, 0.4f, 0.2f}));
    styles.push_back(style("wall", main_picture(brick_wall),
                           edge_picture({rgb(0.03f, 0.02f, 0.06f), rgb(0.3f, 0.28f, 0.38f), rgb(0.52f, 0.5f, 0.64f), 0.26f,
                                         0.18f, 0.8f, 161}),
                           162, {rgb(0.95f, 0.82f, 0.62f), 0.4f, 0.35f, shadow_blue, 0.55f, 0.55f, 0.0f}));
    styles.push_back(style("glass", main_picture(glass),
                           edge_picture({rgb(0.16f, 0.32f, 0.5f), rgb(0.7f, 0.88f, 1.0f), rgb(1, 1, 1), 0.12f, 0.0f, 0.3f,
                                         171}),
                           172, {rgb(0.95f, 0.98f, 1.0f), 0.45f, 0.25f, rgb(0.05f, 0.1f, 0.25f), 0.2f, 0.5f, 0.75f}));
    styles.push_back(style("lava", main_picture(lava),
                           edge_picture({rgb(0.1f, 0.03f, 0.02f), rgb(1.0f, 0.48f, 0.1f), rgb(1.0f, 0.9f, 0.5f), 0.2f,
                                         0.2f, 0.7f, 181}),
                           182, {rgb(1.0f, 0.75f, 0.35f), 0.5f, 0.3f, rgb(0.1f, 0.02f, 0.03f), 0.5f, 0.5f, 0.2f}));
    return styles;
}
