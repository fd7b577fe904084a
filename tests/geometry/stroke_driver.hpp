#pragma once

#include <cstddef>
#include <utility>
#include <vector>

#include "geometry/physics_polygon.hpp"
#include "geometry/sword.hpp"

// Plays sword moves through movable bodies in the order of the game step,
// without the drag between crossings: crossings in key order until a body
// stops the sword, the end of the move for every other body, the splits and
// the removal of slivers.
class StrokeDriver {
public:
    std::vector<PhysicsPolygon> bodies;
    Sword sword;
    // Bodies removed as slivers after their split, in order.
    std::vector<PhysicsPolygon> dropped;
    // Let bodies drift and spin between frames by their own motion.
    bool move_bodies = false;

    static bool is_sliver(const PhysicsPolygon& body)
    {
        return body.mass < 0.001 || body.item.amount < 0.0001 || body.edges.size() < 3;
    }

    // Puts the sword at p without moving it through anything.
    void place_sword(const Vector2& p)
    {
        sword.position = p;
        sword.velocity = Vector2();
        for (PhysicsPolygon& body : bodies)
            body.last_sword_pos = body.to_local(p);
    }

    // One frame in which the sword heads for `target` at the speed that gets
    // it there in dt.
    void move_to(const Vector2& target, double dt = 1.0 / 60.0)
    {
        sword.velocity = (target - sword.position) / dt;
        sword.position = target;

        CutEvents events;
        for (PhysicsPolygon& body : bodies)
            body.find_crossings(body.to_local(target), events);
        const PhysicsPolygon* stopper = nullptr;
        for (auto& [key, isect] : events) {
            if (isect.parent->hit_by_sword(isect, sword)) {
                stopper = isect.parent;
                break;
            }
        }
        // Unless stopped, the sword ends where it was heading.
        if (!stopper)
            sword.position = target;
        for (PhysicsPolygon& body : bodies)
            if (&body != stopper)
                body.finish_sword_move(body.to_local(sword.position), sword);

        std::vector<PhysicsPolygon> pieces;
        for (std::size_t i = 0; i < bodies.size();) {
            if (bodies[i].cut_pending)
                bodies[i].split_into_pieces(pieces);
            if (is_sliver(bodies[i])) {
                if (bodies[i].sword_inside) {
                    sword.inside_count -= 1;
                    sword.total_drag -= bodies[i].cut_drag;
                }
                dropped.push_back(std::move(bodies[i]));
                bodies.erase(bodies.begin() + static_cast<std::ptrdiff_t>(i));
            } else {
                ++i;
            }
        }
        for (PhysicsPolygon& piece : pieces)
            bodies.push_back(std::move(piece));
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
    body.density = density;
    body.item.amount = amount;
    body.update_mass_properties();
    return body;
}
