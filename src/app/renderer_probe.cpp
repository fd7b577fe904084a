#include "app/renderer_probe.hpp"

#include <GL/glx.h>
#include <SDL/SDL.h>
#include <SDL/SDL_syswm.h>
#include <X11/Xlib.h>

std::string probe_renderer()
{
    // Asked on SDL's own drawing connection, where GL sets itself up once:
    // the game's context then reuses that work instead of repeating it.
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1 || info.subsystem != SDL_SYSWM_X11 || !info.info.x11.gfxdisplay)
        return "";
    Display* display = info.info.x11.gfxdisplay;
    info.info.x11.lock_func();
    std::string renderer;
    int attributes[] = {GLX_RGBA, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8, None};
    if (XVisualInfo* visual = glXChooseVisual(display, DefaultScreen(display), attributes)) {
        const Window root = RootWindow(display, visual->screen);
        XSetWindowAttributes window_attributes{};
        window_attributes.colormap = XCreateColormap(display, root, visual->visual, AllocNone);
        // Never mapped: it only gives the context somewhere to be current.
        const Window window = XCreateWindow(display, root, 0, 0, 1, 1, 0, visual->depth, InputOutput, visual->visual,
                                            CWColormap, &window_attributes);
        if (GLXContext context = glXCreateContext(display, visual, nullptr, True)) {
            if (glXMakeCurrent(display, window, context)) {
                if (const GLubyte* name = glGetString(GL_RENDERER))
                    renderer = reinterpret_cast<const char*>(name);
                glXMakeCurrent(display, None, nullptr);
            }
            glXDestroyContext(display, context);
        }
        XDestroyWindow(display, window);
        XFreeColormap(display, window_attributes.colormap);
        XFree(visual);
    }
    XSync(display, False);
    info.info.x11.unlock_func();
    return renderer;
}

bool is_software_renderer(const std::string& renderer)
{
    for (const char* name : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (renderer.find(name) != std::string::npos)
            return true;
    return false;
}
