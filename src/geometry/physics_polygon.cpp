#include "geometry/physics_polygon.hpp"

#include <cmath>
#include <numbers>

#include "geometry/plausible.hpp"
#include "geometry/polygon_faults.hpp"
#include "storage/base_storage.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

namespace {

constexpr std::size_t contact_record_bytes = 32;

}  // namespace

PhysicsPolygon::PhysicsPolygon()
{
    cut_drag = 0.5;
}

void PhysicsPolygon::save(BaseStorage& storage) const
{
    Polygon::save(storage);
    storage.write(moment);
    storage.write(mass);
    storage.write(density);
    storage.write(toughness);
    storage.write(angular_velocity);
    storage.write(velocity);
    storage.write(torque);
    storage.write(force);
    storage.write(angular_impulse);
    storage.write(impulse);
    item.save(storage);
    storage.write(static_cast<unsigned int>(contacts.size()));
    for (const Contact& c : contacts) {
        storage.write(c.point);
        storage.write(c.normal);
    }
}

bool PhysicsPolygon::load(BaseStorage& storage)
{
    if (!Polygon::load(storage))
        return false;
    if (!storage.read(moment) || !storage.read(mass) || !storage.read(density) || !storage.read(toughness) ||
        !storage.read(angular_velocity) || !storage.read(velocity) || !storage.read(torque) ||
        !storage.read(force) || !storage.read(angular_impulse) || !storage.read(impulse) || !item.load(storage))
        return false;
    if (const Fault fault = body_fault(*this)) {
        storage.refuse(fault.reason);
        return false;
    }
    item.tag_position = world_bbox_centre();
    unsigned int count = 0;
    if (!storage.read_count(count, contact_record_bytes))
        return false;
    contacts.assign(count, Contact{});
    for (Contact& c : contacts)
        if (!storage.read(c.point) || !storage.read(c.normal) || !plausible(c.point) || !plausible(c.normal))
            return false;
    return true;
}

void PhysicsPolygon::update_mass_properties(double settled)
{
    // Area and first moment over all edges; a slit's two halves cancel.
    moment = 0;
    double area = 0;
    Vector2 sum;
    for (const auto& [start, end] : edges) {
        const Vector2& p = points[start];
        const Vector2& q = points[end];
        const double c = p.x * q.y - p.y * q.x;
        area += 0.5 * c;
        sum += (p + q) * c;
    }

    // The centroid. A clockwise outline gives a negative area; its
    // centroid is still S / 6A with the signed area, while the mass and the
    // moment take the magnitudes.
    Vector2 c;
    bool clockwise = false;
    if (area > 0 || area < -0.0001) {
        c = sum / (6 * area);
        if (area < 0) {
            log_out() << "Mass: " << area << '\n';
            area = std::fabs(area);
            clockwise = true;
        }
    } else {
        log_out() << "Mass Zero!" << '\n';
        INVARIANT(!points.empty());
        area = 0.0001;
        c = points.front();
    }

    // Mass from the unsigned area.
    mass = density * area;

    if (c.length() < settled)
        c = Vector2();

    // Recentre the points on the centroid.
    for (Vector2& p : points)
        p -= c;
    last_sword_pos -= c;

    // Moment of inertia about the new origin.
    double m = 0;
    for (const auto& [start, end] : edges) {
        const Vector2& p = points[start];
        const Vector2& q = points[end];
        m += (p.x * p.x + q.x * q.x) * (p.x + q.x) * (q.y - p.y) - (p.y + q.y) * (q.x - p.x) * (p.y * p.y + q.y * q.y);
    }
    moment = density / 12 * m;
    if (clockwise)
        moment = std::fabs(moment);

    // The centroid in the world; textures stay fixed to the material.
    const Vector2 w = to_world(c);
    texture_offset += c;

    // The new origin moves as the material point it was.
    const Vector2 d = w - position;
    if (d.length() != 0)
        velocity += angular_velocity * Vector2(-d.y, d.x);

    // The body now sits on its centroid; its box needs recomputing.
    bbox_valid = false;
    position = w;
}

void PhysicsPolygon::apply_impulse(const Vector2& j, const Vector2& at)
{
    impulse += j;
    angular_impulse += cross(at - position, j);
}

void PhysicsPolygon::integrate(double dt)
{
    // Apply forces and impulses.
    velocity += dt * force / mass + impulse / mass;
    angular_velocity += angular_impulse / moment + dt * torque / moment;

    // Push out of the walls: restitution 0.01 and a bias of 0.01.
    for (const Contact& contact : contacts) {
        const Vector2& n = contact.normal;
        const Vector2 r = contact.point - position;
        const Vector2 vp = velocity + angular_velocity * Vector2(-r.y, r.x);
        if (dot(vp, n) > 0) {
            const double rn = cross(r, n);
            const double j = (1.01 * dot(vp, n) + 0.01) / (1 / mass + rn * rn / moment);
            velocity -= n * j / mass;
            angular_velocity -= j * rn / moment;
        }
    }

    // A spin that still drives a contact point into its wall stops.
    for (const Contact& contact : contacts) {
        const Vector2 r = contact.point - position;
        if (dot(angular_velocity * Vector2(-r.y, r.x), contact.normal) * dt > 0.001)
            angular_velocity = 0;
    }

    // As does the motion towards a wall.
    for (const Contact& contact : contacts) {
        const double s = dot(velocity, contact.normal);
        if (s * dt > 0.001)
            velocity -= contact.normal * s;
    }

    // Move and turn.
    position += velocity * dt;
    angle += angular_velocity * dt;
    rotation = Rotation{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)};

    // The item's tag follows the body.
    item.tag_position = world_bbox_centre();

    // Forces, impulses and contacts last one step only.
    torque = 0;
    force = Vector2();
    angular_impulse = 0;
    impulse = Vector2();
    contacts.clear();
}

