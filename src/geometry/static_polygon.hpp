#pragma once

#include <vector>

#include "geometry/physics_polygon.hpp"
#include "geometry/polygon.hpp"

// An immovable wall.
class StaticPolygon : public Polygon {
public:
    void draw_outline(bool detailed) const override;
    virtual void add_contact(PhysicsPolygon& body, double& dt, const Vector2& point, const Vector2& normal);
};

// Finds where each body overlaps each wall, bodies in turn, and registers the
// contacts on the body through the wall: for each pair the wall's corners
// inside the body, then the body's corners inside the wall.
void collide_all(std::vector<StaticPolygon>& walls, std::vector<PhysicsPolygon>& bodies, double& dt);
