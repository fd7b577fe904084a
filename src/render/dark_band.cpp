#include "render/dark_band.hpp"

#include "render/gl.hpp"

void draw_dark_band(double left, double right, double bottom, double top, double alpha)
{
    constexpr double fade_width = 0.1;
    glBegin(GL_QUAD_STRIP);
    glColor4d(0, 0, 0, 0);
    glVertex2d(left - fade_width, bottom);
    glVertex2d(left - fade_width, top);
    glColor4d(0, 0, 0, alpha);
    glVertex2d(left, bottom);
    glVertex2d(left, top);
    glVertex2d(right, bottom);
    glVertex2d(right, top);
    glColor4d(0, 0, 0, 0);
    glVertex2d(right + fade_width, bottom);
    glVertex2d(right + fade_width, top);
    glEnd();
}
