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

GLuint attach_depth_stencil(int width, int height)
{
    const FramebufferCalls& gl = framebuffer_calls();
    GLuint depth_stencil = 0;
    gl.gen_renderbuffers(1, &depth_stencil);
    gl.bind_renderbuffer(GL_RENDERBUFFER, depth_stencil);
    gl.renderbuffer_storage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depth_stencil);
    gl.framebuffer_renderbuffer(GL_FRAMEBUFFER, GL_STENCIL_ATTACHMENT, GL_RENDERBUFFER, depth_stencil);
    gl.bind_renderbuffer(GL_RENDERBUFFER, 0);
    return depth_stencil;
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
