#include "render/art/canvas.hpp"

#include <algorithm>
#include <cmath>

float clamp01(float x)
{
    return std::clamp(x, 0.0f, 1.0f);
}

float smoothstep(float edge0, float edge1, float x)
{
    const float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float coverage(float distance_in_pixels)
{
    return clamp01(0.5f - distance_in_pixels);
}

Canvas::Canvas(int width, int height, Color fill_colour)
    : width_(width), height_(height), pixels_(static_cast<std::size_t>(width) * height, fill_colour)
{
}

Color Canvas::sample(float x, float y, bool wrap_x, bool wrap_y) const
{
    const float fx = std::floor(x - 0.5f), fy = std::floor(y - 0.5f);
    const float tx = x - 0.5f - fx, ty = y - 0.5f - fy;
    const auto texel = [&](int ix, int iy) -> Color {
        if (wrap_x)
            ix = ((ix % width_) + width_) % width_;
        if (wrap_y)
            iy = ((iy % height_) + height_) % height_;
        if (ix < 0 || iy < 0 || ix >= width_ || iy >= height_)
            return Color{};
        return at(ix, iy);
    };
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    return mix(mix(texel(ix, iy), texel(ix + 1, iy), tx), mix(texel(ix, iy + 1), texel(ix + 1, iy + 1), tx), ty);
}

namespace {

// One box pass along a line of n values with the given stride.
void box_line(Color* line, int n, std::ptrdiff_t stride, int radius, bool wrap, std::vector<Color>& scratch)
{
    scratch.assign(static_cast<std::size_t>(n), Color{});
    const auto get = [&](int i) -> Color {
        if (wrap)
            return line[(((i % n) + n) % n) * stride];
        return i < 0 || i >= n ? Color{} : line[i * stride];
    };
    Color sum{};
    for (int i = -radius; i <= radius; ++i)
        sum = sum + get(i);
    const float k = 1.0f / static_cast<float>(2 * radius + 1);
    for (int i = 0; i < n; ++i) {
        scratch[static_cast<std::size_t>(i)] = sum * k;
        sum = sum + get(i + radius + 1) + get(i - radius) * -1.0f;
    }
    for (int i = 0; i < n; ++i)
        line[i * stride] = scratch[static_cast<std::size_t>(i)];
}

}  // namespace

void blur(Canvas& canvas, float radius, bool wrap)
{
    // Three box passes of this width approach a Gaussian of the given radius.
    const int box = std::max(1, static_cast<int>(std::lround(radius / std::sqrt(3.0f))));
    std::vector<Color> scratch;
    const int w = canvas.width(), h = canvas.height();
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < h; ++y)
            box_line(&canvas.at(0, y), w, 1, box, wrap, scratch);
        for (int x = 0; x < w; ++x)
            box_line(&canvas.at(x, 0), h, w, box, wrap, scratch);
    }
}

void composite(Canvas& dst, const Canvas& src, int left, int top)
{
    for (int y = std::max(0, -top); y < src.height() && y + top < dst.height(); ++y)
        for (int x = std::max(0, -left); x < src.width() && x + left < dst.width(); ++x) {
            Color& p = dst.at(x + left, y + top);
            p = over(src.at(x, y), p);
        }
}

Canvas silhouette(const Canvas& src, Color colour)
{
    Canvas out(src.width(), src.height());
    for (int y = 0; y < src.height(); ++y)
        for (int x = 0; x < src.width(); ++x)
            out.at(x, y) = with_alpha(colour, src.at(x, y).a);
    return out;
}

std::vector<std::uint8_t> to_rgba8(const Canvas& canvas)
{
    const int w = canvas.width(), h = canvas.height();
    const auto n = static_cast<std::size_t>(w) * h;
    std::vector<std::uint8_t> out(n * 4);
    std::vector<Color> straight(n);
    std::vector<char> known(n, 0);
    const auto byte = [](float v) { return static_cast<std::uint8_t>(std::lround(clamp01(v) * 255.0f)); };
    for (std::size_t i = 0; i < n; ++i) {
        const Color& p = canvas.at(static_cast<int>(i % w), static_cast<int>(i / w));
        out[i * 4 + 3] = byte(p.a);
        if (out[i * 4 + 3] > 0) {
            straight[i] = {p.r / p.a, p.g / p.a, p.b / p.a, 1};
            known[i] = 1;
        }
    }
    // Grow the visible colours outwards a few rings into the transparent area;
    // what lies further away takes the mean visible colour.
    Color mean{};
    for (std::size_t i = 0; i < n; ++i)
        if (known[i])
            mean = mean + straight[i];
    mean = mean.a > 0 ? mean * (1.0f / mean.a) : Color{1, 1, 1, 1};
    std::vector<std::size_t> ring;
    for (int pass = 0; pass < 16; ++pass) {
        ring.clear();
        for (std::size_t i = 0; i < n; ++i) {
            if (known[i])
                continue;
            const int x = static_cast<int>(i % w), y = static_cast<int>(i / w);
            Color sum{};
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx >= 0 && ny >= 0 && nx < w && ny < h && known[static_cast<std::size_t>(ny) * w + nx])
                        sum = sum + straight[static_cast<std::size_t>(ny) * w + nx];
                }
            if (sum.a > 0) {
                straight[i] = sum * (1.0f / sum.a);
                ring.push_back(i);
            }
        }
        if (ring.empty())
            break;
        for (std::size_t i : ring)
            known[i] = 1;
    }
    for (std::size_t i = 0; i < n; ++i)
        if (!known[i])
            straight[i] = mean;
    for (std::size_t i = 0; i < n; ++i) {
        out[i * 4 + 0] = byte(straight[i].r);
        out[i * 4 + 1] = byte(straight[i].g);
        out[i * 4 + 2] = byte(straight[i].b);
    }
    return out;
}
