#include "render/offscreen_frame.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <SDL/SDL.h>

#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"

OffscreenFrame::~OffscreenFrame()
{
    close();
}

int OffscreenFrame::max_side()
{
    if (!framebuffer_calls().complete)
        return 0;
    GLint renderbuffer = 0;
    GLint viewport[2] = {};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE, &renderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    return std::min({renderbuffer, viewport[0], viewport[1]});
}

bool OffscreenFrame::open(int width, int height, std::string& error)
{
    close();
    const FramebufferCalls& gl = framebuffer_calls();
    if (!gl.complete) {
        error = "this OpenGL has no framebuffer objects to draw off the screen";
        return false;
    }
    const int largest = max_side();
    if (width < 1 || height < 1 || width > largest || height > largest) {
        error = "a picture of " + std::to_string(width) + "x" + std::to_string(height) +
                " pixels does not fit: this OpenGL draws at most " + std::to_string(largest) + " on a side";
        return false;
    }
    glGetIntegerv(GL_VIEWPORT, window_viewport_);
    gl.gen_framebuffers(1, &framebuffer_);
    gl.bind_framebuffer(GL_FRAMEBUFFER, framebuffer_);
    gl.gen_renderbuffers(1, &colour_);
    gl.bind_renderbuffer(GL_RENDERBUFFER, colour_);
    gl.renderbuffer_storage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    depth_stencil_ = attach_depth_stencil(width, height);
    // Memory may run out only here, when the driver allocates the storage.
    if (gl.check_framebuffer_status(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        close();
        error = "OpenGL cannot make a frame of " + std::to_string(width) + "x" + std::to_string(height) + " pixels";
        return false;
    }
    width_ = width;
    height_ = height;
    glDrawBuffer(GL_COLOR_ATTACHMENT0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glViewport(0, 0, width, height);
    return true;
}

void OffscreenFrame::close()
{
    if (!framebuffer_)
        return;
    const FramebufferCalls& gl = framebuffer_calls();
    gl.bind_framebuffer(GL_FRAMEBUFFER, 0);
    gl.delete_framebuffers(1, &framebuffer_);
    gl.delete_renderbuffers(1, &colour_);
    gl.delete_renderbuffers(1, &depth_stencil_);
    framebuffer_ = colour_ = depth_stencil_ = 0;
    width_ = height_ = 0;
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glViewport(window_viewport_[0], window_viewport_[1], window_viewport_[2], window_viewport_[3]);
}

std::vector<std::uint8_t> OffscreenFrame::read_rgba() const
{
    const std::size_t row = static_cast<std::size_t>(width_) * 4;
    std::vector<std::uint8_t> bottom_up(row * static_cast<std::size_t>(height_));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    std::vector<std::uint8_t> top_down(bottom_up.size());
    for (int y = 0; y < height_; ++y)
        std::copy_n(bottom_up.begin() + static_cast<std::ptrdiff_t>((height_ - 1 - y) * row), row,
                    top_down.begin() + static_cast<std::ptrdiff_t>(y * row));
    // The background is opaque, but blended layers write their own alpha.
    for (std::size_t i = 3; i < top_down.size(); i += 4)
        top_down[i] = 255;
    return top_down;
}
