#pragma once

#include "geometry/vector2.hpp"

class Polygon;

// A point that can be dragged, read and written in world coordinates,
// wherever and however it is stored.
class BasePointInterface {
public:
    virtual ~BasePointInterface() = default;
    virtual void set(const Vector2& world_point) = 0;
    virtual Vector2 get() const = 0;
};

// A point stored in world coordinates: a handle, a corner of the level bounds,
// the gravity vector's tip, the sword.
class PointInterface : public BasePointInterface {
public:
    explicit PointInterface(Vector2* target_) : target(target_) {}
    void set(const Vector2& world_point) override { *target = world_point; }
    Vector2 get() const override { return *target; }

    Vector2* target;
};

// A vertex, stored in its polygon's local frame.
class PolygonPointInterface : public BasePointInterface {
public:
    PolygonPointInterface(Polygon* polygon_, int index_) : polygon(polygon_), index(index_) {}
    void set(const Vector2& world_point) override;
    Vector2 get() const override;

    Polygon* polygon;
    int index;
};
