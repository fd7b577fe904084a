// How the shapes of a level are drawn: filled in their styles in play, in
// outline in the editor. The shapes declare these with their geometry, which
// never draws itself; they are defined here, where the drawing is.

#include <cmath>
#include <numbers>

#include "geometry/goal_polygon.hpp"
#include "geometry/physics_polygon.hpp"
#include "geometry/polygon.hpp"
#include "geometry/static_polygon.hpp"
#include "render/gl.hpp"
#include "render/polygon_drawing.hpp"
#include "render/vertex.hpp"

void Polygon::draw() const { draw_polygon(style, *this, 1.0); }

void Polygon::draw_outline(bool detailed) const
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT);
    glEnable(GL_LINE_SMOOTH);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_LINE_STIPPLE);
    glLineStipple(3, 0x7373);

    glBegin(GL_LINES);
    for (const auto& [start, end] : edges) {
        vertex(to_world(points[start]));
        vertex(to_world(points[end]));
    }
    glEnd();

    if (detailed) {
        glBegin(GL_LINES);
        for (const auto& [start, end] : edges) {
            Vector2 a = to_world(points[start]);
            Vector2 b = to_world(points[end]);
            vertex(a);
            vertex(b);
            Vector2 d = b - a;
            double length = d.length();
            if (length == 0.0)
                continue;
            Vector2 u = d / length;
            Vector2 n(-u.y, u.x);
            // Short edges get a head in proportion, so it never overshoots the edge.
            double back = length > 0.2 ? 0.1 : length * 0.5;
            double side = length > 0.2 ? 0.05 : length * 0.25;
            vertex(b);
            vertex(b - u * back + n * side);
            vertex(b);
            vertex(b - u * back - n * side);
        }
        glEnd();

        glBegin(GL_LINES);
        vertex(position);
        vertex(position + Vector2(0.2, 0.0));
        glEnd();

        // Whole turns add nothing to the picture but would add segments.
        double shown = std::fmod(angle, 2.0 * std::numbers::pi);
        int segments = 1 + static_cast<int>(std::fabs(shown) / 0.1);
        glBegin(GL_LINE_STRIP);
        for (int i = 0; i <= segments; ++i) {
            double a = shown * i / segments;
            vertex(position + Vector2(std::cos(a), std::sin(a)) * 0.17);
        }
        glEnd();

        glColor3d(0.8, 0.6, 0.6);
        glBegin(GL_LINES);
        vertex(position);
        vertex(position + Vector2(rotation.m00, rotation.m10) * 0.2);
        glEnd();
    }
    glPopAttrib();
}

void PhysicsPolygon::draw_outline(bool detailed) const
{
    glColor3d(0.9, 0.9, 0.7);
    Polygon::draw_outline(detailed);
    if (!detailed)
        return;

    glColor3d(1, 1, 1);
    glBegin(GL_LINES);
    vertex(position);
    vertex(position + velocity);
    glEnd();

    // The spin as an arc whose radius drifts with the angular velocity.
    glColor3d(0.7, 0.7, 0.4);
    const int segments = 1 + static_cast<int>(std::fabs(std::fmod(angular_velocity, 2 * std::numbers::pi)) / 0.1);
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= segments; ++i) {
        const double f = static_cast<double>(i) / segments;
        const double a = angle + angular_velocity * f;
        const double radius = 0.19 + 0.02 * angular_velocity / (2 * std::numbers::pi) * f;
        vertex(position + Vector2(std::cos(a), std::sin(a)) * radius);
    }
    vertex(position);
    glEnd();
}

void StaticPolygon::draw_outline(bool detailed) const
{
    glColor3d(0.8, 0.8, 0.9);
    Polygon::draw_outline(detailed);
}

void GoalPolygon::draw() const
{
    // Faded out, it would draw nothing to see.
    if (fade < 1)
        draw_polygon(style, *this, 1 - fade);
}

void GoalPolygon::draw_outline(bool detailed) const
{
    glColor3d(0.7, 0.9, 0.7);
    Polygon::draw_outline(detailed);
}
