#include "render/polygon_style.hpp"

#include <GL/gl.h>

#include "geometry/polygon.hpp"

void draw_polygon(const PolygonStyle& style, const Polygon& polygon, double opacity)
{
    glColor4d(1.0, 1.0, 1.0, opacity);
    for (const std::vector<int>& loop : style.loops) {
        glBegin(GL_LINE_LOOP);
        for (int index : loop) {
            Vector2 p = polygon.to_world(polygon.points[index]);
            glVertex2d(p.x, p.y);
        }
        glEnd();
    }
}
