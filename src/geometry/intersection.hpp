#pragma once

#include <map>

#include "geometry/vector2.hpp"

class PhysicsPolygon;

// One crossing of the sword's move with one edge of a movable polygon, in
// that polygon's local frame. Iterators point into parent->edges.
struct Intersection {
    PhysicsPolygon* parent = nullptr;
    std::multimap<int, int>::iterator e1_to_erase;
    // The opposite edge when the crossed edge is half of a slit; otherwise
    // parent->edges.end().
    std::multimap<int, int>::iterator e2_to_erase;
    Vector2 point;
    bool entering = false;
    bool leaving = false;
};

// A frame's crossings keyed by the fraction of the sword's move at which they
// lie; equal keys keep their insertion order.
using CutEvents = std::multimap<double, Intersection>;
