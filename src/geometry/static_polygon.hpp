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

// Finds where a wall and a body overlap and registers the contacts on the body
// through the wall: wall corners inside the body, then body corners inside the
// wall.
void collide(StaticPolygon& wall, PhysicsPolygon& body, double& dt);
// Every body with every wall, bodies in turn: the same contacts in the same
// order as collide on each pair, each shape laid out once.
void collide_all(std::vector<StaticPolygon>& walls, std::vector<PhysicsPolygon>& bodies, double& dt);
