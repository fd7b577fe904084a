#include "geometry/goal_polygon.hpp"

#include <cfloat>
#include <cmath>

#include "render/random.hpp"
#include "geometry/sword.hpp"
#include "render/gl.hpp"
#include "render/particles.hpp"
#include "storage/base_storage.hpp"

namespace {

constexpr int interior_particle_tries = 10;

bool overlaps(GoalPolygon& goal, PhysicsPolygon& body)
{
    for (const Vector2& p : goal.points)
        if (body.contains(body.to_local(goal.to_world(p))))
            return true;
    for (const Vector2& p : body.points)
        if (goal.contains(goal.to_local(body.to_world(p))))
            return true;
    return false;
}

void emit(std::vector<Particle>& particles, const Vector2& at)
{
    const double vx = 0.2 * random_unit() - 0.1;
    const double vy = 0.02 * random_unit() - 0.01;
    particles.push_back(Particle{at.x, at.y, vx, vy, 1.0});
}

void burst(PhysicsPolygon& body, std::vector<Particle>& particles)
{
    for (const Vector2& p : body.points)
        emit(particles, body.to_world(p));
    if (!body.bbox_valid)
        body.compute_bbox();
    for (int i = 0; i < interior_particle_tries; ++i) {
        const double u = random_unit();
        const double v = random_unit();
        const Vector2 p(body.bbox_min.x + u * (body.bbox_max.x - body.bbox_min.x),
                        body.bbox_min.y + v * (body.bbox_max.y - body.bbox_min.y));
        if (body.contains(p))
            emit(particles, body.to_world(p));
    }
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

void GoalPolygon::draw() const { draw_polygon(style, *this, 1 - fade); }

void GoalPolygon::draw_outline(bool detailed) const
{
    glColor3d(0.7, 0.9, 0.7);
    Polygon::draw_outline(detailed);
}

bool GoalPolygon::evaluate(std::vector<PhysicsPolygon>& bodies, ParticleManager& particles, Sword& sword)
{
    // A goal never becomes undone.
    if (done)
        return true;

    // Offer each overlapping body to the bits, first accepting bit only.
    std::vector<std::size_t> accepted;
    for (std::size_t i = 0; i < bodies.size(); ++i) {
        if (!overlaps(*this, bodies[i]))
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
        if (particles.has_style(default_particle_style))
            burst(body, particles.particles_of(default_particle_style));
        if (body.sword_inside) {
            sword.inside_count -= 1;
            sword.total_drag -= body.cut_drag;
        }
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
