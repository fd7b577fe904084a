#include "render/art/contact_sheet.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "render/art/shapes.hpp"
#include "render/art/style_info.hpp"

namespace {

constexpr float pi = 3.14159265f;
constexpr float half_screen_width = 1023.0f / 768.0f;

const Canvas& picture(const std::vector<ArtFile>& art, const std::string& path)
{
    static const Canvas missing(1, 1, rgb(1, 0, 1));
    const auto found = std::find_if(art.begin(), art.end(), [&](const ArtFile& file) { return file.path == path; });
    return found == art.end() ? missing : found->picture;
}

void twilight(Canvas& c, int left, int top, int width, int height)
{
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            c.at(x, y) = mix(rgb(0.17f, 0.13f, 0.28f), rgb(0.03f, 0.04f, 0.11f), static_cast<float>(y - top) / height);
}

// Maps level units (y up) onto a 1024 x 768 panel of the sheet; at scale 384
// and centre (0, 0) it is the game's own screen.
struct View {
    int left, top;
    float scale = 384;
    Point centre{};

    Point world(int x, int y) const
    {
        return centre + Point{(static_cast<float>(x - left - 512) + 0.5f) / scale, -(static_cast<float>(y - top - 384) + 0.5f) / scale};
    }
    Point pixel(Point w) const { return {left + 512 + (w.x - centre.x) * scale, top + 384 - (w.y - centre.y) * scale}; }
};

// Visits the sheet pixels of the mock screen that lie in a world-space box.
template <class Visit>
void for_pixels(const View& view, Point low, Point high, Visit&& visit)
{
    const Point a = view.pixel({low.x, high.y}), b = view.pixel({high.x, low.y});
    const int x0 = std::max(view.left, static_cast<int>(a.x)), y0 = std::max(view.top, static_cast<int>(a.y));
    const int x1 = std::min(view.left + 1024, static_cast<int>(b.x) + 1), y1 = std::min(view.top + 768, static_cast<int>(b.y) + 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            visit(x, y, view.world(x, y));
}

struct StyleLook {
    const Canvas *main, *edge, *cut, *light;
    float edge_width, light_width, main_scale;
};

struct MockPolygon {
    std::string style;
    std::vector<Point> outline;  // anticlockwise, so the inside is on the left of each edge
    std::vector<Point> slit;     // a cut in progress, as a path into the material
};

bool inside(const std::vector<Point>& v, Point p)
{
    return polygon_distance(p, v) < 0;
}

// One band quad strip of the game's edge drawing, for the point w: the band on
// the left of a -> b, fading in over w before a and out after b.
Color band_sample(const Canvas& band, Point a, Point b, float width, float run, Point w)
{
    const float l = length(b - a);
    const Point d = (b - a) * (1 / l), left{-d.y, d.x};
    const float along = dot(w - a, d), across = dot(w - a, left);
    const float fade = std::min(along + width, l + width - along) / width;
    if (across < 0 || across > width * std::min(fade, 1.0f) || fade <= 0)
        return {};
    const float k = 1 / (width * static_cast<float>(band.width()) / static_cast<float>(band.height()));
    const Color c = band.sample((run + width + along) * k * band.width(), (1 - across / width) * band.height(), true, false);
    return c * std::min(fade, 1.0f);
}

void draw_polygon(Canvas& c, const View& view, const MockPolygon& polygon, const StyleLook& look)
{
    Point low{1e9f, 1e9f}, high{-1e9f, -1e9f};
    for (const Point p : polygon.outline) {
        low = {std::min(low.x, p.x), std::min(low.y, p.y)};
        high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    const Point origin = (low + high) * 0.5f;
    const std::size_t n = polygon.outline.size();
    for_pixels(view, low, high, [&](int x, int y, Point w) {
        if (!inside(polygon.outline, w))
            return;
        const Point local = w - origin;
        const Canvas& main = *look.main;
        Color colour = main.sample((local.x * look.main_scale + 0.5f) * main.width(),
                                   -(local.y * look.main_scale + 0.5f) * main.height(), true, true);
        float run = 0;
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = polygon.outline[i], b = polygon.outline[(i + 1) % n];
            colour = over(band_sample(*look.edge, a, b, look.edge_width, run, w), colour);
            run += 2 * look.edge_width + length(b - a);
        }
        run = 0;
        for (std::size_t i = 0; i + 1 < polygon.slit.size(); ++i) {
            const Point a = polygon.slit[i], b = polygon.slit[i + 1];
            colour = over(band_sample(*look.cut, a, b, look.edge_width, run, w), colour);
            colour = over(band_sample(*look.cut, b, a, look.edge_width, run, w), colour);
            run += 2 * look.edge_width + length(b - a);
        }
        // The light band of the nearest outline edge, lit by the direction it faces.
        float nearest = 1e9f;
        Point normal{};
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = polygon.outline[i], b = polygon.outline[(i + 1) % n];
            const float d = segment_distance(w, a, b, 0);
            if (d < nearest) {
                nearest = d;
                const Point e = (b - a) * (1 / length(b - a));
                normal = {e.y, -e.x};
            }
        }
        if (nearest < look.light_width) {
            const Canvas& light = *look.light;
            const float s = std::atan2(normal.y, normal.x) / (2 * pi);
            colour = over(light.sample(s * light.width(), (1 - nearest / look.light_width) * light.height(), true, false), colour);
        }
        c.at(x, y) = over(colour, c.at(x, y));
    });
}

// An upright picture on a world-space rectangle, supersampled so that large
// pictures shrink smoothly as mipmaps would.
void draw_image(Canvas& c, const View& view, const Canvas& image, Point centre, float width, float height, float alpha,
                bool flip_t = false)
{
    const Point half{width / 2, height / 2};
    for_pixels(view, centre - half, centre + half, [&](int x, int y, Point w) {
        Color sum{};
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 3; ++i) {
                const Point p = w + Point{(i - 1) / (3 * view.scale), (j - 1) / (3 * view.scale)};
                const float s = (p.x - centre.x) / width + 0.5f, t = 0.5f - (p.y - centre.y) / height;
                if (s >= 0 && s <= 1 && t >= 0 && t <= 1)
                    sum = sum + image.sample(s * image.width(), (flip_t ? 1 - t : t) * image.height(), false, false);
            }
        c.at(x, y) = over(sum * (alpha / 9), c.at(x, y));
    });
}

void fill_rect(Canvas& c, const View& view, Point low, Point high, Color layer)
{
    for_pixels(view, low, high, [&](int x, int y, Point) { c.at(x, y) = over(layer, c.at(x, y)); });
}

std::vector<Point> regular(Point centre, float radius, int sides, float turn)
{
    std::vector<Point> points;
    for (int i = 0; i < sides; ++i) {
        const float a = 2 * pi * (turn + static_cast<float>(i) / sides);
        points.push_back(centre + Point{std::cos(a), std::sin(a)} * radius);
    }
    return points;
}

std::vector<Point> box(Point centre, float half_width, float half_height, float turn)
{
    const float c = std::cos(2 * pi * turn), s = std::sin(2 * pi * turn);
    std::vector<Point> points;
    for (const Point corner : {Point{-1, -1}, Point{1, -1}, Point{1, 1}, Point{-1, 1}}) {
        const Point p{corner.x * half_width, corner.y * half_height};
        points.push_back(centre + Point{c * p.x - s * p.y, s * p.x + c * p.y});
    }
    return points;
}

void draw_sword(Canvas& c, const View& view, const std::vector<ArtFile>& art, const std::vector<double>& info,
                const std::vector<Point>& trail)
{
    const Canvas& tail = picture(art, "styles/sword/default/tail.png");
    const Canvas& blade = picture(art, "styles/sword/default/sword.png");
    const float head = static_cast<float>(info[2]), middle = static_cast<float>(info[3]), end = static_cast<float>(info[4]);
    const float break_point = static_cast<float>(info[5]);
    float total = 0;
    for (std::size_t i = 0; i + 1 < trail.size(); ++i)
        total += length(trail[i + 1] - trail[i]);
    // Trail entries oldest first; u runs from 1 at the oldest to 0 at the sword.
    std::vector<float> u(trail.size()), half(trail.size());
    float run = 0;
    for (std::size_t i = 0; i < trail.size(); ++i) {
        u[i] = 1 - run / total;
        const float g = u[i] < break_point ? (break_point - u[i]) / break_point : (u[i] - break_point) / (1 - break_point);
        half[i] = u[i] < break_point ? head * g + (1 - g) * middle : (1 - g) * middle + g * end;
        if (i + 1 < trail.size())
            run += length(trail[i + 1] - trail[i]);
    }
    for_pixels(view, {-2, -2}, {2, 2}, [&](int x, int y, Point w) {
        float best = 1e9f;
        Color sample{};
        for (std::size_t i = 0; i + 1 < trail.size(); ++i) {
            const Point a = trail[i], b = trail[i + 1], e = (b - a) * (1 / length(b - a));
            const float k = std::clamp(dot(w - a, e) / length(b - a), 0.0f, 1.0f);
            const Point on = a + (b - a) * k;
            const float d = length(w - on);
            const float hw = half[i] + (half[i + 1] - half[i]) * k;
            if (d < best && d <= hw) {
                best = d;
                const float across = dot(w - on, Point{e.y, -e.x});
                sample = tail.sample((u[i] + (u[i + 1] - u[i]) * k) * tail.width(), (0.5f - across / (2 * hw)) * tail.height(), false, false);
            }
        }
        c.at(x, y) = over(sample, c.at(x, y));
    });
    const Point tip = trail.back(), heading = (trail.back() - trail[trail.size() - 2]) * (1 / length(trail.back() - trail[trail.size() - 2]));
    const Point across{-heading.y, heading.x};
    const float h = static_cast<float>(info[0]);
    for_pixels(view, tip - Point{3 * h, 3 * h}, tip + Point{3 * h, 3 * h}, [&](int x, int y, Point w) {
        const float s = (dot(w - tip, heading) + 2 * h) / (2 * h), t = (dot(w - tip, across) + h) / (2 * h);
        if (s >= 0 && s <= 1 && t >= 0 && t <= 1)
            c.at(x, y) = over(blade.sample(s * blade.width(), t * blade.height(), false, false), c.at(x, y));
    });
}

void draw_mock_screen(Canvas& c, const View& view, const std::vector<ArtFile>& art, const std::string& data_dir)
{
    twilight(c, view.left, view.top, 1024, 768);
    std::map<std::string, StyleLook> looks;
    for (const char* name : {"default", "wood", "stone", "ice", "metal", "goal", "wall", "glass", "lava"}) {
        const std::string folder = std::string("styles/polygon/") + name + "/";
        std::vector<double> info;
        read_info_numbers(data_dir + "/" + folder + "info", 5, info);
        looks[name] = {&picture(art, folder + "main.png"), &picture(art, folder + "edge.png"), &picture(art, folder + "cut.png"),
                       &picture(art, folder + "light.png"), static_cast<float>(info[0]), static_cast<float>(info[1]),
                       static_cast<float>(info[2])};
    }
    const std::vector<MockPolygon> polygons{
        {"wall", {{-1.34f, -1.01f}, {1.34f, -1.01f}, {1.34f, -0.52f}, {0.7f, -0.52f}, {0.7f, -0.58f}, {-0.45f, -0.58f},
                  {-0.45f, -0.5f}, {-1.1f, -0.5f}, {-1.1f, 0.7f}, {-1.34f, 0.7f}}, {}},
        {"lava", box({-0.78f, -0.54f}, 0.32f, 0.04f, 0), {}},
        {"goal", {{0.8f, -0.52f}, {1.3f, -0.52f}, {1.3f, 0.05f}, {0.8f, 0.05f}}, {}},
        {"default", box({-0.62f, 0.42f}, 0.26f, 0.26f, 0.04f), {{-0.9f, 0.38f}, {-0.8f, 0.41f}, {-0.7f, 0.42f}, {-0.6f, 0.445f}}},
        {"wood", box({0.12f, 0.62f}, 0.42f, 0.1f, -0.02f), {}},
        {"glass", regular({0.85f, 0.55f}, 0.24f, 5, 0.25f), {}},
        {"stone", regular({-0.55f, -0.15f}, 0.27f, 6, 0.03f), {}},
        {"ice", regular({0.05f, 0.05f}, 0.26f, 4, 0.1f), {}},
        {"metal", {{0.32f, -0.5f}, {0.7f, -0.5f}, {0.7f, -0.36f}, {0.46f, -0.36f}, {0.46f, -0.0f}, {0.32f, -0.0f}}, {}},
    };
    for (const MockPolygon& polygon : polygons)
        draw_polygon(c, view, polygon, looks[polygon.style]);

    std::vector<double> sword;
    read_info_numbers(data_dir + "/styles/sword/default/info", 8, sword);
    std::vector<Point> trail;
    for (int i = 0; i <= 16; ++i) {
        const float a = pi * (0.95f - 0.5f * i / 16.0f);
        trail.push_back(Point{-0.95f, 0.05f} + Point{std::cos(a), std::sin(a)} * 0.38f);
    }
    trail.insert(trail.end(), {{-0.8f, 0.41f}, {-0.7f, 0.42f}, {-0.6f, 0.445f}});
    draw_sword(c, view, art, sword, trail);

    const Canvas& spark = picture(art, "textures/basic_particle.png");
    for (const Point p : {Point{0.95f, -0.2f}, Point{1.05f, -0.05f}, Point{1.12f, -0.3f}, Point{0.9f, 0.1f}}) {
        // Sparks add their light (the game blends them with GL_ONE).
        const Point half{0.15f, 0.15f};
        for_pixels(view, p - half, p + half, [&](int x, int y, Point w) {
            const Color s = spark.sample(((w.x - p.x) / 0.3f + 0.5f) * spark.width(), (0.5f - (w.y - p.y) / 0.3f) * spark.height(), false, false);
            Color& d = c.at(x, y);
            d = {std::min(1.0f, d.r + s.r), std::min(1.0f, d.g + s.g), std::min(1.0f, d.b + s.b), d.a};
        });
    }

    // The playback screen's bar, at the places and sizes the game uses.
    draw_image(c, view, picture(art, "textures/empty.png"), {0, -0.85f}, 2 * half_screen_width, 0.3f, 0.7f);
    const struct {
        const char* name;
        float x, height;
    } buttons[] = {{"play", -0.9f, 0.15f},     {"stopleft", -0.5f, 0.15f},    {"pause", -0.3f, 0.15f},
                   {"frameforward", -0.1f, 0.15f}, {"arrow_right", 0.1f, 0.15f}, {"fastforward", 0.3f, 0.15f},
                   {"stopright", 0.5f, 0.15f}, {"plus", 0.7f, 0.075f},      {"minus", 1.1f, 0.075f}};
    for (const auto& button : buttons)
        draw_image(c, view, picture(art, std::string("textures/") + button.name + ".png"), {button.x, -0.875f}, button.height,
                   button.height, button.x == 0.1f ? 1.0f : 0.7f);
    fill_rect(c, view, {-1.2654f, -0.775f}, {-1.2654f + 2.5308f * 0.4f, -0.725f}, with_alpha(rgb(0.8f, 0.8f, 0.6f), 0.9f));
    draw_image(c, view, picture(art, "textures/scroll.png"), {-1.23203125f, 0.9f}, 0.2f, 0.2f, 0.7f);
    draw_image(c, view, picture(art, "textures/arrow_up.png"), {0.3f, 0.95f}, 0.1f, 0.1f, 0.5f);
    draw_image(c, view, picture(art, "textures/arrow_up.png"), {0.45f, 0.95f}, 0.1f, 0.1f, 0.5f, true);
    draw_image(c, view, picture(art, "textures/lock.png"), {0.65f, 0.95f}, 0.1f, 0.1f, 0.8f);
}

// A picture on the dark background, repeated `across` by `down` times.
void show(Canvas& c, const Canvas& image, int left, int top, int across, int down)
{
    twilight(c, left, top, image.width() * across, image.height() * down);
    for (int j = 0; j < down; ++j)
        for (int i = 0; i < across; ++i)
            composite(c, image, left + i * image.width(), top + j * image.height());
}

}  // namespace

Canvas draw_contact_sheet(const std::vector<ArtFile>& art, const std::string& data_dir)
{
    const char* styles[] = {"default", "wood", "stone", "ice", "metal", "goal", "wall", "glass", "lava"};
    const int block = 520, styles_top = 8 + 768 + 16 + 144 + 272;
    Canvas sheet(8 + 4 * block, styles_top + 3 * 660, rgb(0.02f, 0.02f, 0.04f));
    draw_mock_screen(sheet, {8, 8}, art, data_dir);
    draw_mock_screen(sheet, {1048, 8, 1000, Point{-0.55f, 0.25f}}, art, data_dir);

    int x = 8;
    const int icons_top = 8 + 768 + 16;
    for (const char* name : {"play", "stopleft", "pause", "frameforward", "arrow_right", "fastforward", "stopright", "plus",
                             "minus", "arrow_up", "lock", "scroll"}) {
        show(sheet, picture(art, std::string("textures/") + name + ".png"), x, icons_top, 1, 1);
        x += 144;
    }
    show(sheet, picture(art, "textures/empty.png"), 8, icons_top + 144, 1, 1);
    show(sheet, picture(art, "textures/basic_particle.png"), 540, icons_top + 144, 1, 1);
    show(sheet, picture(art, "styles/sword/default/sword.png"), 620, icons_top + 144, 1, 1);
    show(sheet, picture(art, "styles/sword/default/tail.png"), 892, icons_top + 144, 2, 1);

    for (int i = 0; i < 9; ++i) {
        const std::string folder = std::string("styles/polygon/") + styles[i] + "/";
        const int left = 8 + (i % 4) * block, top = styles_top + (i / 4) * 660;
        show(sheet, picture(art, folder + "main.png"), left, top, 2, 2);
        show(sheet, picture(art, folder + "edge.png"), left, top + 520, 2, 1);
        show(sheet, picture(art, folder + "cut.png"), left, top + 560, 2, 1);
        show(sheet, picture(art, folder + "light.png"), left, top + 600, 2, 1);
    }
    return sheet;
}
