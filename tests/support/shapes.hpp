#pragma once

#include "geometry/physics_polygon.hpp"
#include "geometry/vector2.hpp"

// An axis-aligned rectangle, counter-clockwise from its lower-left corner, as
// any kind of polygon.
template <typename P>
P box(double x0, double y0, double x1, double y1)
{
    P polygon;
    polygon.points = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
    polygon.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    return polygon;
}

// A movable box with the mass, moment and centre its outline gives.
inline PhysicsPolygon body_box(double x0, double y0, double x1, double y1)
{
    PhysicsPolygon body = box<PhysicsPolygon>(x0, y0, x1, y1);
    body.update_mass_properties();
    return body;
}
