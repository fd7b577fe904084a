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

// What a StillLayer keeps, and where.
struct KeptLayer;

// Draws the bottom of the screen (what `draw_layer` draws: it must cover the
// whole viewport, opaque) from a copy kept of it while its key and the view
// stay the same. On a renderer without a graphics card a level's background,
// walls and goals cost several passes over much of the screen; the copy is
// copied back as bytes where the window has a twin, else through a
// framebuffer or, failing that, drawn in one pass. The copy is taken on the
// second frame with the same key, so a layer that changes every frame (a
// moving camera, a point being dragged) costs nothing extra.
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

private:
    std::unique_ptr<KeptLayer> kept_;
};
