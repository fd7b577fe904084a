#include <cmath>
#include <set>

#include "geometry/physics_polygon.hpp"
#include "geometry/segment.hpp"
#include "geometry/sword.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

namespace {

using EdgeMap = std::multimap<int, int>;

// The first edge start->end in multimap order, the one closest_boundary_point
// reports when several are equal.
EdgeMap::iterator find_edge(EdgeMap& edges, const Polygon::Edge& edge)
{
    auto [first, last] = edges.equal_range(edge.first);
    for (auto it = first; it != last; ++it)
        if (it->second == edge.second)
            return it;
    return edges.end();
}

// Puts the sword on the line through `on` (world) with unit normal Nw.
void slide_onto_line(Sword& sword, const Vector2& Nw, const Vector2& on)
{
    sword.position -= Nw * dot(Nw, sword.position);
    sword.position += Nw * dot(Nw, on);
}

}  // namespace

void PhysicsPolygon::find_crossings(const Vector2& new_pos, CutEvents& events)
{
    // While inside, the last point is the sword's tip; its slit edges are never crossed.
    const int tip = sword_inside ? static_cast<int>(points.size()) - 1 : -1;

    if (new_pos == last_sword_pos)
        return;

    // Each edge gives at most one event: applying one erases its edge, which
    // would leave a second event holding a dead iterator.
    std::set<Edge> reported;

    // The body moved onto the sword: it enters at the nearest boundary point.
    Edge edge;
    Intersection entrance;
    if (!sword_inside && contains(last_sword_pos) && closest_boundary_point(last_sword_pos, edge, entrance.point)) {
        log_out() << "Suddenly inside.\n";
        entrance.parent = this;
        entrance.e1_to_erase = find_edge(edges, edge);
        INVARIANT(entrance.e1_to_erase != edges.end());
        entrance.e2_to_erase = edges.end();
        entrance.entering = true;
        entrance.leaving = false;
        events.emplace(0.0, entrance);
        reported.insert(edge);
    }

    // Every edge the sword's path crosses, keyed by how far along the path.
    const double length = (new_pos - last_sword_pos).length();
    for (auto it = edges.begin(); it != edges.end(); ++it) {
        const int a = it->first;
        const int b = it->second;
        if (a == tip || b == tip || reported.count(*it))
            continue;
        Vector2 point;
        // A NaN t marks the collinear case, which does not write it.
        double t = NAN;
        // Left as it is for an edge that comes from the left of the sword's
        // line and ends on it: such a crossing counts as leaving.
        bool crosses_right = false;
        if (!intersect_segments(last_sword_pos, new_pos, points[a], points[b], point, t, crosses_right))
            continue;
        // Sliding along an edge neither enters nor leaves the material.
        if (std::isnan(t))
            continue;

        Intersection isect;
        isect.parent = this;
        isect.point = point;
        isect.entering = crosses_right;
        isect.leaving = !crosses_right;
        isect.e1_to_erase = it;
        isect.e2_to_erase = find_edge(edges, Edge(b, a));
        if (isect.e2_to_erase != edges.end()) {
            isect.entering = false;
            isect.leaving = false;
            reported.insert(Edge(b, a));
        }
        events.emplace(t / length, isect);
    }
}

bool PhysicsPolygon::hit_by_sword(const Intersection& isect, Sword& sword)
{
    // The sword is stopped only at the surface of material it is outside
    // of; an entering crossing while inside (a vertex graze) is ignored.
    if (!isect.entering || sword_inside) {
        apply_crossing(isect, sword);
        return false;
    }

    // The sword's velocity relative to the material at the hit point, in the body's frame.
    const Rotation& R = rotation;
    const Vector2 r = isect.point;
    const Vector2 w = rotate_back(R, sword.velocity) - (velocity + angular_velocity * Vector2(-r.y, r.x));

    // Split it along the edge and into the material.
    const Vector2 edge = points[isect.e1_to_erase->second] - points[isect.e1_to_erase->first];
    const double edge_length = edge.length();
    const Vector2 d = edge_length == 0.0 ? Vector2(1.0, 0.0) : edge / edge_length;
    const Vector2 n(-d.y, d.x);
    const double vn = dot(n, w);
    const double vt = dot(d, w);
    const Vector2 Nw = rotate(R, n);

    // Not moving into the material: the sword just stays on its surface.
    if (vn <= 0.0) {
        log_out() << "Ok, so we slowed down too much?\n";
        slide_onto_line(sword, Nw, to_world(r));
        return false;
    }

    // Too slow to cut, or unable to: bounce; the sword counts as a body of unit mass.
    if (0.5 * vn * vn <= toughness || sword.cannot_cut) {
        const double rn = r.x * n.y - r.y * n.x;
        const double D = 1.0 / mass + rn * rn / moment + 1.0;
        apply_impulse(Nw * (2.0 * vn / D), to_world(r));
        sword.velocity -= Nw * (vn / D);
        slide_onto_line(sword, Nw, to_world(r));
        last_sword_pos = rotate_back(R, sword.position - position);
        return true;
    }

    // Cutting in costs the toughness energy of the normal motion.
    double vn_after = vn - std::sqrt(2.0 * toughness);
    if (vn_after < 0.0) {
        log_out() << "We estimated wrong?\n";
        vn_after = 0.0;
    }
    sword.velocity = rotate(R, d * vt + n * vn_after);
    apply_crossing(isect, sword);
    return false;
}

void PhysicsPolygon::apply_crossing(const Intersection& isect, Sword& sword)
{
    // Anything but entering may have cut a piece off.
    INVARIANT(isect.parent == this);
    cut_pending = !isect.entering;

    // Crossings that disagree with where the sword is are dropped.
    if (isect.entering && sword_inside) {
        log_out() << "Double-enter\n";
        return;
    }
    if (isect.leaving && !sword_inside) {
        log_out() << "Too-fast departure\n";
        return;
    }

    // While inside, the slit ends where the sword was last.
    INVARIANT(!sword_inside || points.back() == last_sword_pos);

    // Split the crossed edge at the crossing, extending the slit to it.
    const int a = isect.e1_to_erase->first;
    const int b = isect.e1_to_erase->second;
    points.push_back(isect.point);
    bbox_valid = false;
    const int k = static_cast<int>(points.size()) - 1;
    if (sword_inside) {
        edges.emplace(k - 1, k);
        edges.emplace(k, k - 1);
    }
    edges.emplace(a, k);
    edges.emplace(k, b);

    if (isect.e2_to_erase == edges.end()) {
        // A boundary edge: the sword goes in or comes out.
        INVARIANT(isect.entering || isect.leaving);
        if (isect.leaving) {
            sword.leave(*this);
            sword_inside = false;
            if (sword.inside_count == 0)
                sword.total_drag = 0.0;
        } else {
            sword.inside_count += 1;
            sword.total_drag += cut_drag;
            sword_inside = true;
        }
    } else {
        // A slit: the sword is in the material on both sides of it.
        if (!sword_inside) {
            sword.inside_count += 1;
            sword.total_drag += cut_drag;
            sword_inside = true;
            log_out() << "Jump-in cut\n";
        }
        edges.emplace(isect.e2_to_erase->first, k);
        edges.emplace(k, isect.e2_to_erase->second);
        edges.erase(isect.e2_to_erase);
    }

    // The crossing is the sword's new tip; the crossed edge goes.
    last_sword_pos = isect.point;
    edges.erase(isect.e1_to_erase);
    inside_point_count = 0;
}

void PhysicsPolygon::finish_sword_move(const Vector2& new_pos, Sword& sword)
{
    // Outside, or still at the tip: no slit to grow.
    if (!sword_inside || new_pos == points.back()) {
        last_sword_pos = new_pos;
        return;
    }

    // Still inside: the slit grows, but not by points crowding the one
    // before the tip.
    if (contains(new_pos)) {
        const std::size_t size = points.size();
        if (inside_point_count > 0 && (new_pos - points[size - 2]).length_squared() < 0.0025)
            return;
        points.push_back(new_pos);
        bbox_valid = false;
        const int k = static_cast<int>(size);
        edges.emplace(k - 1, k);
        edges.emplace(k, k - 1);
        inside_point_count += 1;
        last_sword_pos = new_pos;
        return;
    }

    // Outside, though no leaving crossing was handled.
    const int tip = static_cast<int>(points.size()) - 1;
    bool tip_on_boundary = false;
    auto [first, last] = edges.equal_range(tip);
    for (auto it = first; it != last; ++it)
        if (!has_reverse(*it))
            tip_on_boundary = true;
    Edge e;
    Vector2 c;
    if (tip_on_boundary) {
        log_out() << "We've got an outside job on our hands\n";
    } else if (closest_boundary_point(new_pos, e, c)) {
        log_out() << "Missed leaving.\n";
        auto crossed = find_edge(edges, e);
        points.push_back(c);
        bbox_valid = false;
        const int k = tip + 1;
        edges.emplace(k - 1, k);
        edges.emplace(k, k - 1);
        edges.emplace(e.first, k);
        edges.emplace(k, e.second);
        edges.erase(crossed);
        cut_pending = true;
    }
    sword.leave(*this);
    sword_inside = false;
    inside_point_count = 0;
    last_sword_pos = new_pos;
}
