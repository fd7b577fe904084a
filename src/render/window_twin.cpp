#include "render/window_twin.hpp"

#include <GL/glx.h>

#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"

namespace {

struct Twin {
    Display* display = nullptr;
    GLXPbuffer pbuffer = 0;
    int visual = 0;
    int width = 0;
    int height = 0;
    // A visual whose twin could not be made is not tried again.
    int refused_visual = 0;
};

Twin twin;

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
        made = glXCreatePbuffer(display, configs[i], attributes);
    }
    XFree(configs);
    return made;
}

// The twin for the current window, at least width x height.
bool ready_twin(const Current& now, int width, int height)
{
    if (!now.display || !now.context || !now.window || !framebuffer_calls().complete)
        return false;
    // Drawing into a framebuffer object is not drawing into the window.
    GLint drawing = 0, reading = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawing);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
    if (drawing != 0 || reading != 0)
        return false;
    int visual = 0;
    if (glXQueryContext(now.display, now.context, GLX_VISUAL_ID_EXT, &visual) != Success || visual == 0)
        return false;
    if (twin.pbuffer != 0 && twin.display == now.display && twin.visual == visual && twin.width >= width &&
        twin.height >= height)
        return true;
    if (visual == twin.refused_visual)
        return false;
    // The display outlives every window the game opens, so an old twin on it
    // is still its own to free.
    if (twin.pbuffer != 0 && twin.display == now.display)
        glXDestroyPbuffer(twin.display, twin.pbuffer);
    twin = {};
    twin.pbuffer = make_pbuffer(now.display, now.context, visual, width, height);
    if (twin.pbuffer == 0) {
        twin.refused_visual = visual;
        return false;
    }
    twin.display = now.display;
    twin.visual = visual;
    twin.width = width;
    twin.height = height;
    return true;
}

// One copy of a rectangle between the window and the twin, with the
// window drawn to again afterwards.
bool copy(bool to_twin, int left, int bottom, int width, int height)
{
    const Current now;
    if (!ready_twin(now, width, height))
        return false;
    const GLXDrawable draw = to_twin ? twin.pbuffer : now.window;
    const GLXDrawable read = to_twin ? now.window : twin.pbuffer;
    if (!glXMakeContextCurrent(now.display, draw, read, now.context))
        return false;
    const int from_x = to_twin ? left : 0, from_y = to_twin ? bottom : 0;
    const int to_x = to_twin ? 0 : left, to_y = to_twin ? 0 : bottom;
    framebuffer_calls().blit_framebuffer(from_x, from_y, from_x + width, from_y + height, to_x, to_y, to_x + width,
                                         to_y + height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glXMakeContextCurrent(now.display, now.window, now.window, now.context);
    return true;
}

}  // namespace

bool copy_window_to_twin(int left, int bottom, int width, int height)
{
    return copy(true, left, bottom, width, height);
}

bool copy_twin_to_window(int left, int bottom, int width, int height)
{
    return copy(false, left, bottom, width, height);
}
