#include <algorithm>
#include <cmath>

#include "storage/log.hpp"
#include "world/step_sounds.hpp"
#include "world/world.hpp"

namespace {

// The sword's velocity at a new speed, its direction kept ((1, 0) when still).
Vector2 with_speed(const Vector2& velocity, double speed)
{
    return unit_or_x(velocity) * speed;
}

// The sword pulls every polygon it is inside along its move by `dist`. The
// impulse is added in the polygon's own frame, as the game always has.
void drag_impulses(std::vector<PhysicsPolygon>& polygons, const Vector2& b, const Vector2& u, double travelled,
                   double dist)
{
    for (PhysicsPolygon& q : polygons) {
        if (!q.sword_inside)
            continue;
        const Vector2 j = q.cut_drag * dist * rotate_back(q.rotation, u);
        q.impulse += j;
        const Vector2 r = rotate_back(q.rotation, b + u * travelled - q.position);
        q.angular_impulse += r.x * j.y - r.y * j.x;
    }
}

void remove_body(std::vector<PhysicsPolygon>& polygons, std::size_t i, Sword& sword)
{
    sword.leave(polygons[i]);
    polygons.erase(polygons.begin() + static_cast<std::ptrdiff_t>(i));
}

// Moves the view towards the sword: gently within 0.9 of an edge, at once
// within 0.1.
void follow(double& v, double s, double half)
{
    if (s < v - half + 0.9) {
        const double e = (v - half + 0.9) - s;
        const double f = std::min(e / 0.8, 1.0);
        v -= f * f * e;
    }
    if (s > v + half - 0.9) {
        const double e = s - (v + half - 0.9);
        const double f = std::min(e / 0.8, 1.0);
        v += f * f * e;
    }
}

}  // namespace

void cut_pass(std::vector<PhysicsPolygon>& bodies, Sword& sword, StepReport& report,
              std::vector<PhysicsPolygon>* removed)
{
    Vector2& position = sword.position;
    Vector2& velocity = sword.velocity;

    // Find where this move crosses the polygons' edges.
    CutEvents events;
    for (PhysicsPolygon& p : bodies)
        p.find_crossings(rotate_back(p.rotation, position - p.position), events);

    // This frame's move, from where the sword was to where it is now.
    const Vector2 b = sword.trail.front().point;
    double length = (position - b).length();
    const Vector2 u = length == 0 ? Vector2(1, 0) : (position - b) / length;
    double travelled = 0;

    // Take the crossings in order along the move; drag spends the sword's
    // energy between them.
    const PhysicsPolygon* stopper = nullptr;
    bool stopped = false;
    for (auto& [key, isect] : events) {
        const double dist = key * length - travelled;
        const double energy = 0.5 * velocity.length_squared() - dist * sword.total_drag;
        if (energy < 0) {
            travelled += 0.5 * velocity.length_squared() / sword.total_drag;
            velocity = Vector2();
            log_out() << "Drag Halt" << '\n';
            stopped = true;
            break;
        }
        velocity = with_speed(velocity, std::sqrt(2 * energy));
        travelled = key * length;
        if (sword.inside_count != 0)
            drag_impulses(bodies, b, u, travelled, dist);
        const bool was_inside = isect.parent->sword_inside;
        const StepReport::Crossing heard{material_of_style(isect.parent->style.name), !was_inside, velocity.length()};
        if (isect.parent->hit_by_sword(isect, sword)) {
            report.bounces.push_back(heard);
            log_out() << "Physics stop" << '\n';
            stopper = isect.parent;
            stopped = true;
            break;
        }
        if (isect.parent->sword_inside != was_inside)
            report.crossings.push_back(heard);
    }

    // A blade held against a body to push it is heard when it meets it.
    if (stopper && report.pressing)
        report.bounces.clear();
    report.pressing = stopper != nullptr;

    if (!stopped) {
        // The rest of the move, through whatever the sword is inside.
        if (length < travelled) {
            log_out() << "We moved too far?" << '\n';
            length = travelled;
        }
        double rest = length - travelled;
        if (0.5 * velocity.length_squared() - sword.total_drag * rest >= 0) {
            velocity = with_speed(velocity, std::sqrt(velocity.length_squared() - 2 * sword.total_drag * rest));
            travelled = length;
        } else {
            rest = 0.5 * velocity.length_squared() / sword.total_drag;
            travelled += rest;
            velocity = Vector2();
        }
        if (sword.inside_count != 0)
            drag_impulses(bodies, b, u, travelled, rest);

        // Pull the sword back to where its energy ran out.
        position = b + u * travelled;
    }

    // Let the polygons see where the sword ended.
    for (PhysicsPolygon& p : bodies) {
        if (&p == stopper)
            log_out() << "Parent Skip!" << '\n';
        else
            p.finish_sword_move(rotate_back(p.rotation, position - p.position), sword);
    }

    // Completed cuts fall apart; worn-out bodies go.
    std::vector<PhysicsPolygon> pieces;
    for (std::size_t i = 0; i < bodies.size();) {
        if (bodies[i].cut_pending) {
            const std::size_t pieces_before = pieces.size();
            bodies[i].split_into_pieces(pieces);
            if (pieces.size() > pieces_before)
                ++report.splits;
        }
        if (is_sliver(bodies[i])) {
            if (removed)
                removed->push_back(bodies[i]);
            remove_body(bodies, i, sword);
        } else {
            ++i;
        }
    }
    for (PhysicsPolygon& piece : pieces)
        bodies.push_back(std::move(piece));
}

void World::update(double& dt)
{
    report.clear();
    const double time_before = timer.time;
    const Outcome outcome_before = outcome;

    // Advance the clock, the sparks and the sword.
    timer.update(dt);
    particles.update_all(dt);
    sword.update(dt);

    // Keep the sword inside the level, bouncing softly off its edges.
    Vector2& position = sword.position;
    Vector2& velocity = sword.velocity;
    if (position.x < bounds_min.x) {
        position.x = bounds_min.x;
        if (velocity.x < 0)
            velocity.x = -0.1 * velocity.x;
    }
    if (position.y < bounds_min.y) {
        position.y = bounds_min.y;
        if (velocity.y < 0)
            velocity.y = -0.1 * velocity.y;
    }
    if (position.x > bounds_max.x) {
        position.x = bounds_max.x;
        if (velocity.x > 0)
            velocity.x = -0.1 * velocity.x;
    }
    if (position.y > bounds_max.y) {
        position.y = bounds_max.y;
        if (velocity.y > 0)
            velocity.y = -0.1 * velocity.y;
    }

    cut_pass(physics_polygons, sword, report);

    // Goals: count the required ones met and note any losing one.
    int required = 0;
    int satisfied = 0;
    bool lost = false;
    for (GoalPolygon& g : goals) {
        if (g.target.required)
            ++required;
        const std::size_t bodies_before = physics_polygons.size();
        const bool was_done = g.done;
        const bool met = g.evaluate(physics_polygons, particles, sword);
        const bool took = physics_polygons.size() < bodies_before;
        if (g.target.losing && (took || (met && !was_done)))
            ++report.losing_touches;
        else if (took)
            ++report.goal_takes;
        if (met) {
            if (g.target.required)
                ++satisfied;
            if (g.target.losing)
                lost = true;
        }
        g.update_fade(dt);
    }

    // Outcome: a win beats a loss, a loss beats running out of time.
    outcome = Outcome::none;
    if (required > 0 && satisfied == required)
        outcome = Outcome::win;
    else if (lost)
        outcome = Outcome::lose;
    else if (timer.countdown && timer.time <= 0)
        outcome = Outcome::time_out;
    // The ear hears an outcome once, and each of a countdown's last seconds.
    if (outcome != Outcome::none && outcome != outcome_before)
        report.outcome = outcome;
    if (timer.countdown && timer.time > 0 && timer.time <= countdown_ticks_from &&
        std::ceil(timer.time) != std::ceil(time_before))
        report.countdown_tick = true;
    // A menu that opens holds this world; the step goes on to its end.
    if (outcome != Outcome::none)
        react_to_outcome(*this, outcome);

    collide_all(static_polygons, physics_polygons, dt);
    // How hard the hardest body ran into its wall, for the knock.
    for (const PhysicsPolygon& p : physics_polygons)
        for (const Contact& contact : p.contacts) {
            const Vector2 r = contact.point - p.position;
            const Vector2 vp = p.velocity + p.angular_velocity * Vector2(-r.y, r.x);
            report.knock_speed = std::max(report.knock_speed, dot(vp, contact.normal));
        }

    // Gravity and motion; bodies that fall out of the level go.
    const Vector2 g_unit = unit_or_x(gravity);
    const double level_diagonal = (bounds_max - bounds_min).length_squared();
    for (std::size_t i = 0; i < physics_polygons.size();) {
        PhysicsPolygon& p = physics_polygons[i];
        p.force += p.mass * gravity;
        p.integrate(dt);
        if (!p.bbox_valid)
            p.compute_bbox();
        const double body_diagonal = (p.bbox_max - p.bbox_min).length_squared();
        if (dot(p.velocity, g_unit) >= 0 && dot(p.position, g_unit) > body_diagonal + level_diagonal)
            remove_body(physics_polygons, i, sword);
        else
            ++i;
    }

    // The camera follows the sword, then stays inside the level.
    follow(camera.x, position.x, view_half_width);
    follow(camera.y, position.y, view_half_height);
    if (position.x < camera.x - view_half_width + 0.1)
        camera.x = position.x + view_half_width - 0.1;
    if (position.x > camera.x + view_half_width - 0.1)
        camera.x = position.x - view_half_width + 0.1;
    if (position.y < camera.y - view_half_height + 0.1)
        camera.y = position.y + view_half_height - 0.1;
    if (position.y > camera.y + view_half_height - 0.1)
        camera.y = position.y - view_half_height + 0.1;
    clamp_camera();

    // Move the sliding pictures on.
    for (PhysicsPolygon& p : physics_polygons)
        p.style.animate_style(dt);
    for (StaticPolygon& p : static_polygons)
        p.style.animate_style(dt);
    for (GoalPolygon& g : goals)
        g.style.animate_style(dt);

    report.sword_speed = sword.velocity.length();
    play_step_sounds(report, loudness);
}
