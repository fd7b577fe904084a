#include "render/framebuffer_calls.hpp"

#include <cstdlib>
#include <cstring>

#include <SDL/SDL.h>

#include "render/gl_context.hpp"

namespace {

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

}  // namespace

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
    fetch(calls.framebuffer_texture_2d, "glFramebufferTexture2D");
    fetch(calls.check_framebuffer_status, "glCheckFramebufferStatus");
    fetch(calls.gen_renderbuffers, "glGenRenderbuffers");
    fetch(calls.delete_renderbuffers, "glDeleteRenderbuffers");
    fetch(calls.bind_renderbuffer, "glBindRenderbuffer");
    fetch(calls.renderbuffer_storage, "glRenderbufferStorage");
    fetch(calls.blit_framebuffer, "glBlitFramebuffer");
    fetch(calls.blend_func_separate, "glBlendFuncSeparate");
    calls.complete = calls.gen_framebuffers && calls.delete_framebuffers && calls.bind_framebuffer &&
                     calls.framebuffer_renderbuffer && calls.framebuffer_texture_2d &&
                     calls.check_framebuffer_status && calls.gen_renderbuffers && calls.delete_renderbuffers &&
                     calls.bind_renderbuffer && calls.renderbuffer_storage && calls.blit_framebuffer &&
                     calls.blend_func_separate;
    return calls;
}
