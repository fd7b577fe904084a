#pragma once

#include <functional>
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
    // Drawn by render/shape_drawing.cpp.
    void draw() const override;
    void draw_outline(bool detailed) const override;

    // Once per frame, after the cut pass: consumes the accepted bodies (each
    // handed to `on_taken`, then erased from `bodies`) and returns `done`.
    bool evaluate(std::vector<PhysicsPolygon>& bodies, Sword& sword,
                  const std::function<void(PhysicsPolygon&)>& on_taken);
    // The same, with a burst of sparks where each body was taken; the sparks
    // are drawing, defined with it (render/goal_sparks.cpp).
    bool evaluate(std::vector<PhysicsPolygon>& bodies, ParticleManager& particles, Sword& sword);
    // After each evaluate: fades out while done, back in while not, and keeps
    // the tag on the goal's bounding-box centre.
    void update_fade(double dt);

    GoalTargetInfo target;
    bool done = false;
    double fade = 0.0;  // 0 fully shown, 1 faded out
};
