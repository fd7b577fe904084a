#include "geometry/goal_polygon.hpp"

#include <cfloat>
#include <cmath>

#include "geometry/sword.hpp"
#include "storage/base_storage.hpp"

namespace {

bool overlaps(GoalPolygon& goal, const WorldBox& goal_box, PhysicsPolygon& body)
{
    // Apart in the world, neither has a point inside the other.
    if (!goal_box.meets(body.world_box()))
        return false;
    for (const Vector2& p : goal.points)
        if (body.contains(body.to_local(goal.to_world(p))))
            return true;
    for (const Vector2& p : body.points)
        if (goal.contains(goal.to_local(body.to_world(p))))
            return true;
    return false;
}

}  // namespace

void GoalPolygon::save(BaseStorage& storage) const
{
    storage.write(done);
    Polygon::save(storage);
    target.save(storage);
}

bool GoalPolygon::load(BaseStorage& storage)
{
    if (!storage.read(done) || !Polygon::load(storage) || !target.load(storage))
        return false;
    fade = done ? 1.0 : 0.0;
    target.tag_position = world_bbox_centre();
    return true;
}

bool GoalPolygon::evaluate(std::vector<PhysicsPolygon>& bodies, Sword& sword,
                           const std::function<void(PhysicsPolygon&)>& on_taken)
{
    // A goal never becomes undone.
    if (done)
        return true;

    // Offer each overlapping body to the bits, first accepting bit only.
    std::vector<std::size_t> accepted;
    const WorldBox box = world_box();
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (!overlaps(*this, box, bodies[i]))
            continue;
        done = true;
        bool taken = false;
        for (GoalTargetInfoBit& bit : target.bits)
            if (bit.accept(bodies[i].item)) {
                taken = true;
                break;
            }
        for (const GoalTargetInfoBit& bit : target.bits)
            if (!bit.satisfied())
                done = false;
        if (taken)
            accepted.push_back(i);
        if (taken && done)
            break;
    }

    // Last remembered first, so the earlier indices stay valid.
    for (auto it = accepted.rbegin(); it != accepted.rend(); ++it) {
        PhysicsPolygon& body = bodies[*it];
        on_taken(body);
        sword.leave(body);
        bodies.erase(bodies.begin() + static_cast<std::ptrdiff_t>(*it));
    }

    return done;
}

void GoalPolygon::update_fade(double dt)
{
    if (done) {
        fade += 2 * dt;
        if (fade > 1)
            fade = 1;
    } else {
        fade -= 10 * dt;
        if (fade < 0)
            fade = 0;
    }
    target.tag_position = world_bbox_centre();
}
