#include "render/window_twin.hpp"

#include <GL/glx.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"

namespace {

// Every twin made and not freed yet, with its display.
std::vector<std::pair<Display*, GLXPbuffer>> made_twins;

auto find_made(Display* display, GLXPbuffer pbuffer)
{
    return std::find(made_twins.begin(), made_twins.end(), std::make_pair(display, pbuffer));
}

bool still_made(void* display, GLXPbuffer pbuffer)
{
    return find_made(static_cast<Display*>(display), pbuffer) != made_twins.end();
}

void free_pbuffer(Display* display, GLXPbuffer pbuffer)
{
    const auto found = find_made(display, pbuffer);
    if (found == made_twins.end())
        return;
    glXDestroyPbuffer(display, pbuffer);
    made_twins.erase(found);
}

bool x_error_seen = false;

int note_x_error(Display*, XErrorEvent*)
{
    x_error_seen = true;
    return 0;
}

// The window's context, its display and its drawing surface, when current.
struct Current {
    Display* display = glXGetCurrentDisplay();
    GLXContext context = glXGetCurrentContext();
    GLXDrawable window = glXGetCurrentDrawable();
};

GLXPbuffer make_pbuffer(Display* display, GLXContext context, int visual, int width, int height)
{
    int screen = 0;
    if (glXQueryContext(display, context, GLX_SCREEN, &screen) != Success)
        return 0;
    int count = 0;
    GLXFBConfig* configs = glXGetFBConfigs(display, screen, &count);
    if (!configs)
        return 0;
    GLXPbuffer made = 0;
    for (int i = 0; i < count && made == 0; ++i) {
        int id = 0, kinds = 0;
        if (glXGetFBConfigAttrib(display, configs[i], GLX_VISUAL_ID, &id) != Success || id != visual ||
            glXGetFBConfigAttrib(display, configs[i], GLX_DRAWABLE_TYPE, &kinds) != Success ||
            !(kinds & GLX_PBUFFER_BIT))
            continue;
        const int attributes[] = {GLX_PBUFFER_WIDTH, width, GLX_PBUFFER_HEIGHT, height, GLX_PRESERVED_CONTENTS,
                                  True, None};
        // A server that cannot make it answers with an X error, which would
        // end the game by default: it only means no twin.
        XSync(display, False);
        x_error_seen = false;
        XErrorHandler previous = XSetErrorHandler(note_x_error);
        made = glXCreatePbuffer(display, configs[i], attributes);
        XSync(display, False);
        XSetErrorHandler(previous);
        if (x_error_seen)
            made = 0;
    }
    XFree(configs);
    return made;
}

// Whether the window is what is drawn to and read from.
bool drawing_to_window(const Current& now)
{
    if (!now.display || !now.context || !now.window || !framebuffer_calls().complete)
        return false;
    GLint drawing = 0, reading = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawing);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
    return drawing == 0 && reading == 0;
}

}  // namespace

bool WindowTwin::copy(bool to_twin, int left, int bottom, int width, int height)
{
    const Current now;
    if (!drawing_to_window(now))
        return false;
    int visual = 0;
    if (glXQueryContext(now.display, now.context, GLX_VISUAL_ID_EXT, &visual) != Success || visual == 0)
        return false;
    const bool fits = pbuffer_ != 0 && display_ == now.display && still_made(display_, pbuffer_) &&
                      visual_ == visual && width_ >= width && height_ >= height;
    if (!fits) {
        // Its pixels would be lost: there is nothing to copy back.
        if (!to_twin || visual == refused_visual_)
            return false;
        if (pbuffer_ != 0 && display_ == now.display)
            free_pbuffer(now.display, pbuffer_);
        pbuffer_ = make_pbuffer(now.display, now.context, visual, width, height);
        if (pbuffer_ == 0) {
            refused_visual_ = visual;
            return false;
        }
        static const bool freed_at_exit = std::atexit(free_window_twins) == 0;
        static_cast<void>(freed_at_exit);
        made_twins.emplace_back(now.display, pbuffer_);
        display_ = now.display;
        visual_ = visual;
        width_ = width;
        height_ = height;
    }
    const GLXDrawable draw = to_twin ? pbuffer_ : now.window;
    const GLXDrawable read = to_twin ? now.window : pbuffer_;
    if (!glXMakeContextCurrent(now.display, draw, read, now.context))
        return false;
    const int from_x = to_twin ? left : 0, from_y = to_twin ? bottom : 0;
    const int to_x = to_twin ? 0 : left, to_y = to_twin ? 0 : bottom;
    framebuffer_calls().blit_framebuffer(from_x, from_y, from_x + width, from_y + height, to_x, to_y, to_x + width,
                                         to_y + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glXMakeContextCurrent(now.display, now.window, now.window, now.context);
    return true;
}

bool WindowTwin::copy_from_window(int left, int bottom, int width, int height)
{
    return copy(true, left, bottom, width, height);
}

bool WindowTwin::copy_to_window(int left, int bottom, int width, int height)
{
    return copy(false, left, bottom, width, height);
}

void free_window_twins()
{
    while (!made_twins.empty())
        free_pbuffer(made_twins.back().first, made_twins.back().second);
}
