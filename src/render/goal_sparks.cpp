// The sparks of a body a goal takes: all over where it was, rising and fading.

#include <vector>

#include "geometry/goal_polygon.hpp"
#include "render/particles.hpp"
#include "render/random.hpp"

namespace {

constexpr int interior_particle_tries = 10;

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

bool GoalPolygon::evaluate(std::vector<PhysicsPolygon>& bodies, ParticleManager& particles, Sword& sword)
{
    return evaluate(bodies, sword, [&particles](PhysicsPolygon& body) {
        if (particles.has_style(default_particle_style))
            burst(body, particles.particles_of(default_particle_style));
    });
}
