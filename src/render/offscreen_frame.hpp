#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A frame drawn off the screen, in a framebuffer object with colour, depth and
// stencil (polygons fill through the stencil and shade through the depth), so
// that a picture can be larger than the window and does not depend on the
// window being visible. While it is open every drawing goes into it and the
// viewport covers it; closing it (or destroying it) gives the window back.
class OffscreenFrame {
public:
    OffscreenFrame() = default;
    ~OffscreenFrame();
    OffscreenFrame(const OffscreenFrame&) = delete;
    OffscreenFrame& operator=(const OffscreenFrame&) = delete;

    // Needs a GL context. False, with the reason, when the GL has no
    // framebuffer objects or refuses the size.
    bool open(int width, int height, std::string& error);
    void close();

    int width() const { return width_; }
    int height() const { return height_; }
    // The pixels as 8-bit RGBA, top row first, made opaque.
    std::vector<std::uint8_t> read_rgba() const;

    // The longest side a frame may have here; 0 without framebuffer objects.
    static int max_side();

private:
    unsigned int framebuffer_ = 0;
    unsigned int colour_ = 0;
    unsigned int depth_stencil_ = 0;
    int width_ = 0;
    int height_ = 0;
    int window_viewport_[4] = {};
};
