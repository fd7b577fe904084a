#include "render/offscreen_frame.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include <SDL/SDL.h>

#include "render/gl.hpp"
#include "render/gl_context.hpp"

namespace {

// Framebuffer objects are core from GL 3.0 and an extension before it; the
// entry points are fetched at run time, as the game links only GL 1.x.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
    bool complete = false;
};

bool gl_has_framebuffers()
{
    const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
    if (version && std::atoi(version) >= 3)
        return true;
    const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    return extensions && std::strstr(extensions, "GL_ARB_framebuffer_object");
}

template <typename F>
void fetch(F& call, const char* name)
{
    call = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
}

const FramebufferCalls& framebuffer_calls()
{
    static FramebufferCalls calls;
    static bool fetched = false;
    if (fetched || !gl_ready())
        return calls;
    fetched = true;
    if (!gl_has_framebuffers())
        return calls;
    fetch(calls.gen_framebuffers, "glGenFramebuffers");
    fetch(calls.delete_framebuffers, "glDeleteFramebuffers");
    fetch(calls.bind_framebuffer, "glBindFramebuffer");
    fetch(calls.framebuffer_renderbuffer, "glFramebufferRenderbuffer");
    fetch(calls.check_framebuffer_status, "glCheckFramebufferStatus");
    fetch(calls.gen_renderbuffers, "glGenRenderbuffers");
    fetch(calls.delete_renderbuffers, "glDeleteRenderbuffers");
    fetch(calls.bind_renderbuffer, "glBindRenderbuffer");
    fetch(calls.renderbuffer_storage, "glRenderbufferStorage");
    calls.complete = calls.gen_framebuffers && calls.delete_framebuffers && calls.bind_framebuffer &&
                     calls.framebuffer_renderbuffer && calls.check_framebuffer_status && calls.gen_renderbuffers &&
                     calls.delete_renderbuffers && calls.bind_renderbuffer && calls.renderbuffer_storage;
    return calls;
}

}  // namespace

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
    gl.gen_renderbuffers(1, &depth_stencil_);
    gl.bind_renderbuffer(GL_RENDERBUFFER, depth_stencil_);
    gl.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_stencil_);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_stencil_);
    gl.bind_renderbuffer(GL_RENDERBUFFER, 0);
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
