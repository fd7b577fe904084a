#include "geometry/sword.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include "geometry/plausible.hpp"
#include "geometry/polygon.hpp"
#include "geometry/view.hpp"
#include "storage/base_storage.hpp"
#include "storage/log.hpp"

namespace {

constexpr std::size_t trail_entry_bytes = 24;  // point and age

}  // namespace

void Sword::save(BaseStorage& storage) const
{
    storage.write(std::string());
    storage.write(position);
    storage.write(velocity);
    storage.write(direction);
    storage.write(total_drag);
    storage.write(inside_count);
    storage.write(cannot_cut);
    storage.write(cannot_cut_fade);
    storage.write(static_cast<unsigned int>(trail.size()));
    for (const TrailEntry& entry : trail) {
        storage.write(entry.point);
        storage.write(entry.age);
    }
}

bool Sword::load(BaseStorage& storage)
{
    pending_motion = Vector2();
    std::string style_name;
    if (!storage.read(style_name))
        return false;
    log_out() << "Style: -" << style_name << "-" << '\n';
    if (style_name != "")
        return false;

    Sword stored;
    unsigned int count = 0;
    if (!storage.read(stored.position) || !storage.read(stored.velocity) || !storage.read(stored.direction) ||
        !storage.read(stored.total_drag) || !storage.read(stored.inside_count) || !storage.read(stored.cannot_cut) ||
        !storage.read(stored.cannot_cut_fade) || !storage.read_count(count, trail_entry_bytes))
        return false;
    // Every update leaves at least one entry, and the cut pass reads the newest.
    if (count == 0) {
        storage.refuse("the sword has no trail");
        return false;
    }
    if (!plausible(stored.position) || !plausible(stored.velocity) || !plausible(stored.direction) ||
        !plausible(stored.total_drag) || !plausible(stored.cannot_cut_fade)) {
        storage.refuse("a number of the sword is out of range");
        return false;
    }
    stored.trail.resize(count);
    for (TrailEntry& entry : stored.trail) {
        if (!storage.read(entry.point) || !storage.read(entry.age))
            return false;
        if (!plausible(entry.point) || !plausible(entry.age)) {
            storage.refuse("a point of the sword's trail is out of range");
            return false;
        }
    }

    position = stored.position;
    velocity = stored.velocity;
    direction = stored.direction;
    total_drag = stored.total_drag;
    inside_count = stored.inside_count;
    cannot_cut = stored.cannot_cut;
    cannot_cut_fade = stored.cannot_cut_fade;
    trail = std::move(stored.trail);
    return true;
}

bool Sword::handle_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_MOUSEMOTION:
        // Screen y grows downwards.
        pending_motion += Vector2(2.0 * event.motion.xrel / window_height, -2.0 * event.motion.yrel / window_height);
        return true;
    case SDL_MOUSEBUTTONDOWN:
        cannot_cut = true;
        return true;
    case SDL_MOUSEBUTTONUP:
        cannot_cut = false;
        return true;
    default:
        return false;
    }
}

void Sword::update(double dt)
{
    // Mouse push, limited per frame.
    // A motion so small that its length comes out 0 has no direction.
    if (double m = pending_motion.length(); m > 0.0) {
        const Vector2 u = pending_motion / m;
        m = std::min(m, 100.0 * dt);
        velocity += u * 2.0 * m;
    }
    pending_motion = Vector2(0.0, 0.0);

    // The cut counters never go negative.
    if (inside_count < 0)
        inside_count = 0;
    if (total_drag < 0.0)
        total_drag = 0.0;

    // The blunt look follows the button within 0.1 s.
    if (cannot_cut)
        cannot_cut_fade = std::min(cannot_cut_fade + 10.0 * dt, 1.0);
    else
        cannot_cut_fade = std::max(cannot_cut_fade - 10.0 * dt, 0.0);

    // Trail: add where the sword is, age it, drop points older than 0.5 s.
    trail.push_front({position, 0.0});
    for (TrailEntry& entry : trail)
        entry.age += dt;
    while (trail.size() > 3 && trail.back().age > 0.5)
        trail.pop_back();

    // Move.
    position += velocity * dt;

    // Friction: steeper with speed up to 2, constant above; above speed 8
    // the velocity is scaled rather than capped.
    // A velocity whose length underflows to 0 (only a level file can hold
    // one) would divide by 0 here; friction stops it outright.
    if (!(velocity == Vector2(0.0, 0.0))) {
        const double s = velocity.length();
        const double c = std::min(s, 8.0);
        const double k = c / 2.0;
        const double a = k <= 1.0 ? (4.0 * c + 4.0) * dt : 12.0 * dt;
        velocity = c > 0.0 ? (velocity / c) * std::max(c - a, 0.0) : Vector2(0.0, 0.0);
    }

    // Heading from this frame's move. A move too short for its length to
    // be a double leaves the heading as it is.
    const Vector2 p = trail.front().point;
    if (position == p)
        return;
    const double d = (position - p).length();
    if (d == 0.0)
        return;
    const Vector2 v = (position - p) / d;
    if (d <= 0.05) {
        const double w = d / 0.05;
        const Vector2 blend = (1.0 - w) * direction + w * v;
        const double length = blend.length();
        direction = length == 0.0 ? Vector2(1.0, 0.0) : blend / length;
    } else {
        direction = v;
    }
}

void Sword::leave(const Polygon& polygon)
{
    if (!polygon.sword_inside)
        return;
    inside_count -= 1;
    total_drag -= polygon.cut_drag;
}
