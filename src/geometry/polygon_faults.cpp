#include "geometry/polygon_faults.hpp"

#include <cmath>
#include <set>
#include <vector>

#include "geometry/physics_polygon.hpp"
#include "geometry/plausible.hpp"
#include "geometry/polygon.hpp"
#include "storage/base_storage.hpp"

namespace {

// Rotations rebuilt from an angle are orthonormal to the last bit or two; a
// matrix further off than this was sheared or scaled.
constexpr double rotation_tolerance = 1e-9;

bool is_rotation(const Rotation& r)
{
    const auto near = [](double value, double expected) { return std::fabs(value - expected) <= rotation_tolerance; };
    return near(r.m00 * r.m00 + r.m10 * r.m10, 1.0) && near(r.m01 * r.m01 + r.m11 * r.m11, 1.0) &&
           near(r.m00 * r.m01 + r.m10 * r.m11, 0.0) && near(r.m00 * r.m11 - r.m01 * r.m10, 1.0);
}

Fault fault(const char* field, std::string reason) { return Fault{field, std::move(reason)}; }

}  // namespace

Fault polygon_fault(const Polygon& polygon)
{
    for (const Vector2& p : polygon.points)
        if (!plausible(p))
            return fault("points", "a point is out of range");

    const int point_total = static_cast<int>(polygon.points.size());
    std::set<Polygon::Edge> seen;
    for (const auto& edge : polygon.edges) {
        if (edge.first < 0 || edge.first >= point_total || edge.second < 0 || edge.second >= point_total)
            return fault("edges", "an edge names a point that does not exist");
        if (!seen.insert(edge).second)
            return fault("edges", "an edge is listed twice");
    }

    const Rotation& r = polygon.rotation;
    if (!plausible(r.m00) || !plausible(r.m10) || !plausible(r.m01) || !plausible(r.m11))
        return fault("rotation", "rotation is out of range");
    if (!is_rotation(r))
        return fault("rotation", "rotation is not a rotation");
    if (!plausible(polygon.angle))
        return fault("angle", "angle is out of range");
    if (!plausible(polygon.position))
        return fault("position", "position is out of range");
    if (!plausible(polygon.texture_offset))
        return fault("texture_offset", "texture offset is out of range");
    if (!plausible(polygon.last_sword_pos))
        return fault("last_sword_pos", "last sword position is out of range");
    if (!plausible(polygon.cut_drag))
        return fault("cut_drag", "cut drag is out of range");
    if (polygon.cut_drag < 0)
        return fault("cut_drag", "cut drag is negative");
    return {};
}

Fault body_fault(const PhysicsPolygon& body)
{
    if (Fault f = polygon_fault(body))
        return f;
    if (!plausible(body.density))
        return fault("density", "density is out of range");
    if (!(body.density > 0))
        return fault("density", "density is not above zero");
    if (!plausible(body.toughness))
        return fault("toughness", "toughness is out of range");
    if (body.toughness < 0)
        return fault("toughness", "toughness is negative");
    if (!plausible(body.mass))
        return fault("mass", "mass is out of range");
    if (!(body.mass >= min_body_inertia))
        return fault("mass", "mass is too small to move");
    if (!plausible(body.moment))
        return fault("moment", "moment is out of range");
    if (!(body.moment >= min_body_inertia))
        return fault("moment", "moment is too small to turn");
    if (!plausible(body.velocity))
        return fault("velocity", "velocity is out of range");
    if (!plausible(body.angular_velocity))
        return fault("angular_velocity", "angular velocity is out of range");
    if (!plausible(body.force) || !plausible(body.torque) || !plausible(body.impulse) ||
        !plausible(body.angular_impulse))
        return fault("", "a pending force or impulse is out of range");
    if (!plausible(body.item.amount))
        return fault("item", "item amount is out of range");

    // Cutting and splitting walk the edges as closed loops (each point left as
    // often as it is reached), enter and leave through boundary edges (any
    // that is not half of a slit), and grow a slit from the last point.
    if (unbalanced_point(body.points, body.edges) != -1)
        return fault("edges", "the edges do not close into loops");
    bool boundary = false;
    for (const auto& edge : body.edges)
        boundary = boundary || !body.has_reverse(edge);
    if (!boundary && (!body.edges.empty() || body.cut_pending))
        return fault("edges", "the edges hold only slits");
    if (body.sword_inside && (body.points.empty() || !(body.points.back() == body.last_sword_pos)))
        return fault("sword_inside", "the sword inside is not at the slit's last point");
    return {};
}
