#pragma once

#include <vector>

#include "geometry/goal_item_info.hpp"
#include "geometry/intersection.hpp"
#include "geometry/polygon.hpp"

class Sword;

// A wall contact found this step: where, and the unit normal pointing from
// the body towards the wall.
struct Contact {
    Vector2 point;
    Vector2 normal;
};

// The least mass and moment a stored body may have. A body moves with
// 1 / mass and turns with 1 / moment, so values near 0 send it to infinity at
// the first push; no body the game keeps comes near this (pieces under a mass
// of sliver_mass are removed).
constexpr double min_body_inertia = 1e-18;

// A piece lighter than this, holding less of its goal item, or with fewer
// than three edges is a sliver: too small to see or to cut, it is removed.
constexpr double sliver_mass = 0.001;
constexpr double sliver_amount = 0.0001;

// A movable rigid body: it falls, takes impulses, is stopped by walls and can
// be cut. Bodies do not collide with each other.
class PhysicsPolygon : public Polygon {
public:
    PhysicsPolygon();

    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;
    void draw_outline(bool detailed) const override;

    // Recomputes area, mass, centroid and moment after a change of shape and
    // moves the local origin to the centroid, keeping the world shape and the
    // motion of the material. A centroid nearer the origin than `settled` is
    // taken as the origin: the editor recomputes every frame, and moving the
    // body by the rounding noise of the centroid each time would never let it
    // stand still.
    void update_mass_properties(double settled = 0.0);
    // An impulse j at the world point `at`, applied in the next integrate.
    void apply_impulse(const Vector2& j, const Vector2& at);
    void integrate(double dt);

    // Cutting, in the order the game step calls them each frame. Positions
    // are the sword's, taken into this polygon's local frame.
    void find_crossings(const Vector2& new_pos, CutEvents& events);
    // True when the sword was stopped at this polygon's surface.
    bool hit_by_sword(const Intersection& isect, Sword& sword);
    void apply_crossing(const Intersection& isect, Sword& sword);
    void finish_sword_move(const Vector2& new_pos, Sword& sword);
    // Walks the edges of a completed cut into closed pieces: this polygon
    // keeps the first, the others are appended to `pieces`.
    void split_into_pieces(std::vector<PhysicsPolygon>& pieces);

    double moment = 0.0;
    double mass = 0.0;
    double density = 100.0;
    double toughness = 1.0;
    double angular_velocity = 0.0;
    Vector2 velocity;
    double torque = 0.0;
    Vector2 force;
    double angular_impulse = 0.0;
    Vector2 impulse;
    GoalItemInfo item;
    std::vector<Contact> contacts;
};

bool is_sliver(const PhysicsPolygon& body);
