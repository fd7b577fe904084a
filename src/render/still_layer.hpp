#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "geometry/vector2.hpp"

// What a still layer shows, boiled down to one number: two draws with the
// same key draw the same pixels.
class LayerKey {
public:
    void add(std::uint64_t word);
    void add(double value);
    void add(const Vector2& point);
    void add(const std::string& text);
    std::uint64_t value() const { return hash_; }

private:
    std::uint64_t hash_ = 14695981039346656037ull;
};

// A shape of a still layer that may change while the rest stays: a name of
// its own among the layer's parts, the key of its pixels, and a box holding
// every pixel it draws, in the coordinates the layer is drawn through.
struct LayerPart {
    std::uint64_t name = 0;
    std::uint64_t look = 0;
    Vector2 lo, hi;
};

// Adds the matrices and the viewport, which place what is drawn on the
// screen, to a key.
void add_placement(LayerKey& key, const int viewport[4]);

// A box of window pixels: left, bottom, right, top; empty when right <= left.
struct PixelBox {
    int left = 0, bottom = 0, right = 0, top = 0;
    bool empty() const { return right <= left || top <= bottom; }
    int width() const { return right - left; }
    int height() const { return top - bottom; }
    // Grows to hold the other box too.
    void add(const PixelBox& other);
};

// The current matrices with a viewport: where points of the current drawing
// coordinates land in the window.
class WindowProjection {
public:
    explicit WindowProjection(const int viewport[4]);
    // In pixels; false where it does not land on finite numbers.
    bool land(const Vector2& point, Vector2& at) const;
    // Whether the box lo..hi lands wholly inside the viewport.
    bool holds(const Vector2& lo, const Vector2& hi) const;

private:
    double model_[16];
    double projection_[16];
    int viewport_[4];
};

// The window pixels the box lo..hi of the current drawing coordinates covers
// through the current matrices, with a pixel to spare, cut to the viewport;
// the whole viewport for a box that does not project to finite numbers.
PixelBox window_pixels(const Vector2& lo, const Vector2& hi, const int viewport[4]);

// What a StillLayer keeps, and where.
struct KeptLayer;

// Draws the bottom of the screen (what `draw_layer` draws: it must cover the
// whole viewport, opaque) from a copy kept of it while its key and the view
// stay the same. On a renderer without a graphics card a level's background,
// walls and goals cost several passes over much of the screen; the copy is
// copied back as bytes where the window has a twin, else through a
// framebuffer or, failing that, drawn in one pass. The copy is taken on the
// second frame with the same key, so a layer that changes every frame (a
// moving camera, a point being dragged) costs nothing extra; once a copy into
// the twin has worked (a copy of bytes), on the first. Given its parts, a
// layer kept in the twin whose key stays the same while some parts come, go
// or change (a goal a falling piece makes live for a few frames, a body
// dragged in the editor) is copied back and drawn again only within the
// boxes of those parts.
// Only with lean drawing; otherwise it just draws the layer.
// Each layer keeps one copy: a layer drawn inside another's `draw_layer`
// (the background under a level's walls) needs one of its own.
class StillLayer {
public:
    StillLayer();
    ~StillLayer();
    StillLayer(const StillLayer&) = delete;
    StillLayer& operator=(const StillLayer&) = delete;

    void draw(const LayerKey& key, const std::function<void()>& draw_layer);
    // The same for a layer of parts, which `draw_layer` draws besides what
    // the key holds. Parts are in the order of their names.
    void draw(const LayerKey& key, const std::vector<LayerPart>& parts, const std::function<void()>& draw_layer);

private:
    // Shows the kept picture and draws it again within the boxes of the parts
    // that changed, keeping the result; false when nothing could be shown.
    bool redraw_in_part(const std::vector<LayerPart>& parts, const int viewport[4],
                        const std::function<void()>& draw_layer);

    std::unique_ptr<KeptLayer> kept_;
};
