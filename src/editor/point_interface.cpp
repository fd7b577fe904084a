#include "editor/point_interface.hpp"

#include "geometry/polygon.hpp"

void PolygonPointInterface::set(const Vector2& world_point)
{
    polygon->points[index] = polygon->to_local(world_point);
}

Vector2 PolygonPointInterface::get() const
{
    return polygon->to_world(polygon->points[index]);
}
