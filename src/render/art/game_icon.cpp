#include "render/art/game_icon.hpp"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <system_error>

#include "render/art/shapes.hpp"
#include "render/png.hpp"
#include "storage/log.hpp"

namespace {

// Signed distance to the side of the line through `a` along `direction`
// that `direction` turned to its right faces.
float half_plane_distance(Point p, Point a, Point direction)
{
    const Point normal = Point{direction.y, -direction.x} * (1 / length(direction));
    return -dot(p - a, normal);
}

}  // namespace

const std::vector<int>& game_icon_sizes()
{
    static const std::vector<int> sizes{16, 24, 32, 48, 64, 128, 256};
    return sizes;
}

Canvas draw_game_icon(int size)
{
    Canvas icon(size, size);
    const float pixels = static_cast<float>(size);
    const auto on_tile = [&](float u, float v) {
        return coverage(box_distance({u, v}, {0.5f, 0.5f}, {0.47f, 0.47f}, 0.14f) * pixels);
    };

    // Dark tile, lighter at the top.
    icon.paint([&](float u, float v) {
        return with_alpha(mix(rgb(0.18f, 0.25f, 0.38f), rgb(0.06f, 0.08f, 0.14f), v), on_tile(u, v));
    });

    // The block, and the cut through it from lower left to upper right; each
    // piece drifts away from the cut.
    const std::vector<Point> block{{0.22f, 0.36f}, {0.50f, 0.18f}, {0.80f, 0.34f}, {0.76f, 0.72f}, {0.42f, 0.84f},
                                   {0.20f, 0.64f}};
    const Point cut_from{0.14f, 0.80f}, cut_to{0.88f, 0.22f};
    const Point along = cut_to - cut_from;
    const Point away = Point{along.y, -along.x} * (0.035f / length(along));
    const float edge = std::max(1.5f, pixels / 40);
    for (const float side : {1.0f, -1.0f}) {
        const Point shift = away * side;
        icon.paint([&](float u, float v) {
            const Point p = Point{u, v} - shift;
            const float outline = polygon_distance(p, block);
            const float cut_side = half_plane_distance(p, cut_from, along * side);
            const float d = std::max(outline, cut_side);
            // Warm wood inside, a lighter rim, and the fresh cut brightest.
            Color wood = mix(rgb(0.86f, 0.60f, 0.32f), rgb(0.62f, 0.38f, 0.18f), v);
            if (-outline * pixels < edge)
                wood = rgb(0.95f, 0.74f, 0.45f);
            if (-cut_side * pixels < edge)
                wood = rgb(1.0f, 0.93f, 0.72f);
            return with_alpha(wood, coverage(d * pixels));
        });
    }

    // The sword's stroke: a white core in a blue glow.
    icon.paint([&](float u, float v) {
        const float d = segment_distance({u, v}, cut_from, cut_to, 0) * pixels;
        const float core = coverage(d - std::max(0.6f, pixels / 90));
        const float glow = std::exp(-d / std::max(1.0f, pixels / 30)) * 0.6f;
        return over(with_alpha(rgb(1, 1, 1), core), with_alpha(rgb(0.55f, 0.80f, 1.0f), clamp01(glow))) *
               on_tile(u, v);
    });
    return icon;
}

bool make_game_icons(const std::string& out_dir)
{
    for (const int size : game_icon_sizes()) {
        const std::string edge = std::to_string(size);
        const std::filesystem::path folder = std::filesystem::path(out_dir) / (edge + "x" + edge) / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            log_err() << "Cannot make the folder " << folder.string() << ": " << error.message() << '\n';
            return false;
        }
        const Canvas icon = draw_game_icon(size);
        if (!save_png((folder / "slivermere.png").string(), icon.width(), icon.height(), to_rgba8(icon)))
            return false;
    }
    return true;
}
