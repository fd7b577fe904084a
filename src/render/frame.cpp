#include "render/frame.hpp"

#include "render/gl.hpp"

namespace {

long begun = 0;

}  // namespace

void begin_frame()
{
    ++begun;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
}

long frames_begun()
{
    return begun;
}
