#pragma once

#include "render/gl.hpp"

// Framebuffer objects are core from GL 3.0 and an extension before it; the
// entry points are fetched at run time, as the game links only GL 1.x.
struct FramebufferCalls {
    PFNGLGENFRAMEBUFFERSPROC gen_framebuffers = nullptr;
    PFNGLDELETEFRAMEBUFFERSPROC delete_framebuffers = nullptr;
    PFNGLBINDFRAMEBUFFERPROC bind_framebuffer = nullptr;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebuffer_renderbuffer = nullptr;
    PFNGLFRAMEBUFFERTEXTURE2DPROC framebuffer_texture_2d = nullptr;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC check_framebuffer_status = nullptr;
    PFNGLGENRENDERBUFFERSPROC gen_renderbuffers = nullptr;
    PFNGLDELETERENDERBUFFERSPROC delete_renderbuffers = nullptr;
    PFNGLBINDRENDERBUFFERPROC bind_renderbuffer = nullptr;
    PFNGLRENDERBUFFERSTORAGEPROC renderbuffer_storage = nullptr;
    PFNGLBLITFRAMEBUFFERPROC blit_framebuffer = nullptr;
    // Core from GL 1.4: what is drawn into a framebuffer to be laid over
    // something else later keeps its alpha apart.
    PFNGLBLENDFUNCSEPARATEPROC blend_func_separate = nullptr;
    // Every call above is there.
    bool complete = false;
};

// The calls of the current GL, fetched once a GL context is ready.
const FramebufferCalls& framebuffer_calls();

// A depth and stencil renderbuffer of the size, attached to the bound
// framebuffer; the caller deletes it.
GLuint attach_depth_stencil(int width, int height);
