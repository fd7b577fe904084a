#pragma once

#include <vector>

#include "world/world.hpp"

// Plays sword moves through movable bodies with the game step's own cut pass,
// without the rest of the step (mouse, walls, goals, gravity).
class StrokeDriver {
public:
    std::vector<PhysicsPolygon> bodies;
    Sword sword;
    StepReport report;
    // Bodies removed as slivers after their split, in order.
    std::vector<PhysicsPolygon> dropped;
    // Let bodies drift and spin between frames by their own motion.
    bool move_bodies = false;

    // Puts the sword at p without moving it through anything.
    void place_sword(const Vector2& p)
    {
        sword.position = p, sword.velocity = Vector2();
        for (PhysicsPolygon& body : bodies)
            body.last_sword_pos = body.to_local(p);
    }

    // One frame in which the sword heads for `target` at the speed that gets
    // it there in dt.
    void move_to(const Vector2& target, double dt = 1.0 / 60.0)
    {
        sword.trail.front().point = sword.position;
        sword.velocity = (target - sword.position) / dt, sword.position = target;
        report.clear();
        cut_pass(bodies, sword, report, &dropped);
        if (move_bodies)
            for (PhysicsPolygon& body : bodies)
                body.integrate(dt);
    }

    // A straight stroke from `from` to `to` in `frames` equal moves.
    void stroke(const Vector2& from, const Vector2& to, int frames = 1)
    {
        place_sword(from);
        for (int i = 1; i <= frames; ++i)
            move_to(i == frames ? to : from + (to - from) * (static_cast<double>(i) / frames));
    }
};

// A body with the given counter-clockwise outline, centred on its centroid.
inline PhysicsPolygon make_body(const std::vector<Vector2>& outline, double density = 100.0, double amount = 1.0)
{
    PhysicsPolygon body;
    body.points = outline;
    const int n = static_cast<int>(outline.size());
    for (int i = 0; i < n; ++i)
        body.edges.emplace(i, (i + 1) % n);
    body.density = density, body.item.amount = amount;
    body.update_mass_properties();
    return body;
}

// The unit square [0,1]x[0,1] in the world; its local origin is the centre.
inline PhysicsPolygon unit_square() { return make_body({{0, 0}, {1, 0}, {1, 1}, {0, 1}}); }
