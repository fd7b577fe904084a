#pragma once

#include <vector>

#include "geometry/goal_target_info.hpp"
#include "geometry/physics_polygon.hpp"
#include "geometry/polygon.hpp"

class ParticleManager;
class Sword;

// A goal region: bodies that overlap it are offered to its bits and consumed
// when a bit accepts them; once every bit is satisfied it is done and fades out.
class GoalPolygon : public Polygon {
public:
    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;
    void draw() const override;
    void draw_outline(bool detailed) const override;

    // Once per frame, after the cut pass: consumes the accepted bodies (erasing
    // them from `bodies`) and returns `done`.
    bool evaluate(std::vector<PhysicsPolygon>& bodies, ParticleManager& particles, Sword& sword);
    // After each evaluate: fades out while done, back in while not, and keeps
    // the tag on the goal's bounding-box centre.
    void update_fade(double dt);

    GoalTargetInfo target;
    bool done = false;
    double fade = 0.0;  // 0 fully shown, 1 faded out
};
