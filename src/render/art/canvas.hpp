#pragma once

#include <cstdint>
#include <vector>

// Floating-point RGBA pictures that the art generator paints into before they
// are written as PNG files. Colours on a canvas are premultiplied by alpha so
// that layers composite with a plain "over"; shading maths works on opaque
// colours (alpha 1) and turns them into layers with with_alpha.
struct Color {
    float r = 0, g = 0, b = 0, a = 0;
};

constexpr Color rgb(float r, float g, float b)
{
    return {r, g, b, 1};
}

inline Color operator+(Color x, Color y)
{
    return {x.r + y.r, x.g + y.g, x.b + y.b, x.a + y.a};
}

inline Color operator*(Color c, float k)
{
    return {c.r * k, c.g * k, c.b * k, c.a * k};
}

// Tints colour channels only; alpha stays.
inline Color tint(Color c, Color by)
{
    return {c.r * by.r, c.g * by.g, c.b * by.b, c.a};
}

// Scales the colour channels only: k < 1 darkens, k > 1 lightens.
inline Color shade(Color c, float k)
{
    return {c.r * k, c.g * k, c.b * k, c.a};
}

inline Color mix(Color x, Color y, float t)
{
    return x * (1 - t) + y * t;
}

// An opaque colour as a layer of the given alpha (premultiplied).
inline Color with_alpha(Color c, float alpha)
{
    return {c.r * alpha, c.g * alpha, c.b * alpha, alpha};
}

inline Color over(Color top, Color under)
{
    return top + under * (1 - top.a);
}

float clamp01(float x);
float smoothstep(float edge0, float edge1, float x);
// Pixel coverage of a shape from its signed distance in pixels (negative
// inside): a one-pixel ramp gives analytic anti-aliasing.
float coverage(float distance_in_pixels);

class Canvas {
public:
    Canvas() = default;
    Canvas(int width, int height, Color fill = {});

    int width() const { return width_; }
    int height() const { return height_; }
    Color& at(int x, int y) { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }
    const Color& at(int x, int y) const { return pixels_[static_cast<std::size_t>(y) * width_ + x]; }

    // Bilinear sample at a point in pixel units (pixel centres at +0.5);
    // outside the picture it wraps, per axis, or is transparent.
    Color sample(float x, float y, bool wrap_x, bool wrap_y) const;

    // Sets every pixel to shade(u, v), with u, v the pixel centre in [0, 1]
    // (v = 0 at the top row).
    template <class Shade>
    void fill(Shade&& shade_at)
    {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x)
                at(x, y) = shade_at((static_cast<float>(x) + 0.5f) / static_cast<float>(width_),
                                    (static_cast<float>(y) + 0.5f) / static_cast<float>(height_));
    }

    // Composites the layer layer(u, v) over every pixel.
    template <class Layer>
    void paint(Layer&& layer_at)
    {
        for (int y = 0; y < height_; ++y)
            for (int x = 0; x < width_; ++x) {
                Color& p = at(x, y);
                p = over(layer_at((static_cast<float>(x) + 0.5f) / static_cast<float>(width_),
                                  (static_cast<float>(y) + 0.5f) / static_cast<float>(height_)),
                         p);
            }
    }

private:
    int width_ = 0, height_ = 0;
    std::vector<Color> pixels_;
};

// Gaussian-like blur (three box passes) with the given radius in pixels.
void blur(Canvas& canvas, float radius, bool wrap);

// Puts src over dst with src's top-left pixel at (left, top) of dst.
void composite(Canvas& dst, const Canvas& src, int left, int top);

// The same alpha with every pixel recoloured to one opaque colour: shadows.
Canvas silhouette(const Canvas& src, Color colour);

// 8-bit straight-alpha RGBA, top row first, as save_png takes it. Fully
// transparent pixels take the colour of their nearest visible neighbours, so
// filtering and mipmaps do not pull dark fringes into the edges of shapes.
std::vector<std::uint8_t> to_rgba8(const Canvas& canvas);
