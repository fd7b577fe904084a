#include "geometry/static_polygon.hpp"

#include <algorithm>
#include <cfloat>
#include <optional>
#include <utility>
#include <vector>

#include "geometry/segment.hpp"

namespace {

using Edge = Polygon::Edge;

std::vector<Edge> boundary_edges(const Polygon& polygon)
{
    std::vector<Edge> out;
    out.reserve(polygon.edges.size());
    for (const auto& [start, end] : polygon.edges)
        if (!polygon.has_reverse(Edge(start, end)))
            out.emplace_back(start, end);
    return out;
}

// A polygon laid out for the many corner and point tests of one collision:
// its boundary edges, the boundary edges leaving each point (in their order)
// and every edge's ends (doubled edges too: they cancel in the count, as in
// Polygon::contains, whose answer `contains` gives). The box must be up to
// date.
class CollisionShape {
public:
    explicit CollisionShape(Polygon& of)
        : polygon(of),
          boundary(boundary_edges(of)),
          first_leaving(of.points.size(), -1),
          next_leaving(boundary.size(), -1)
    {
        std::vector<int> last_leaving(of.points.size(), -1);
        for (int i = 0; i < static_cast<int>(boundary.size()); ++i) {
            const int from = boundary[i].first;
            if (last_leaving[from] < 0)
                first_leaving[from] = i;
            else
                next_leaving[last_leaving[from]] = i;
            last_leaving[from] = i;
        }
        ends.reserve(of.edges.size());
        for (const auto& [start, end] : of.edges)
            ends.push_back({of.points[start], of.points[end]});
    }

    bool contains(const Vector2& p) const
    {
        if (!(polygon.bbox_min.x <= p.x && p.x <= polygon.bbox_max.x && polygon.bbox_min.y <= p.y &&
              p.y <= polygon.bbox_max.y))
            return false;
        int crossings = 0;
        for (const auto& [a, b] : ends)
            crossings += crosses_left_of(a, b, p);
        return crossings % 2 == 1;
    }

    Polygon& polygon;
    const std::vector<Edge> boundary;
    std::vector<int> first_leaving;  // index into boundary, -1 for none
    std::vector<int> next_leaving;

private:
    std::vector<std::pair<Vector2, Vector2>> ends;
};

// The corners of `outer` that lie inside `inner`, each checked against the
// nearest and, when close enough, the second nearest edge of `inner`. A
// corner is a boundary edge and each one leaving where it ends; a crossing of
// one of its two edges with such an inner edge is a contact, with the normal
// `normal_of` gives for that inner edge.
template <typename NormalOf, typename AddContact>
void corners_inside(const CollisionShape& outer_shape, const CollisionShape& inner_shape, NormalOf normal_of,
                    AddContact add)
{
    const Polygon& outer = outer_shape.polygon;
    const Polygon& inner = inner_shape.polygon;
    for (const Edge& e : outer_shape.boundary) {
        if (outer_shape.first_leaving[e.second] < 0)
            continue;
        const Vector2 corner = outer.to_world(outer.points[e.second]);
        const Vector2 local = inner.to_local(corner);
        if (!inner_shape.contains(local))
            continue;

        double d1 = DBL_MAX, d2 = DBL_MAX;
        const Edge* closest1 = nullptr;
        const Edge* closest2 = nullptr;
        for (const Edge& g : inner_shape.boundary) {
            const Vector2 p = closest_point_on_segment(inner.points[g.first], inner.points[g.second], local);
            const double d = (p - local).length_squared();
            if (d < d1) {
                d2 = d1;
                closest2 = closest1;
                d1 = d;
                closest1 = &g;
            } else if (d < d2) {
                d2 = d;
                closest2 = &g;
            }
        }
        // A body worn down to a single boundary edge has no corner to
        // push against; the game step removes such bodies.
        if (!closest1 || !closest2)
            continue;

        for (int i = outer_shape.first_leaving[e.second]; i >= 0; i = outer_shape.next_leaving[i]) {
            const Edge& f = outer_shape.boundary[i];
            for (const Edge* g : {closest1, closest2}) {
                if (g == closest2 && d2 > 4 * d1)
                    break;
                const Vector2 g0 = inner.to_world(inner.points[g->first]);
                const Vector2 g1 = inner.to_world(inner.points[g->second]);
                const Vector2 normal = normal_of(*g);
                for (const Edge* side : {&e, &f}) {
                    const Vector2 a0 = outer.to_world(outer.points[side->first]);
                    const Vector2 a1 = outer.to_world(outer.points[side->second]);
                    Vector2 point;
                    double t = 0;
                    bool crosses_right = false;
                    if (intersect_segments(a0, a1, g0, g1, point, t, crosses_right))
                        add(point, normal);
                }
            }
        }
    }
}

}  // namespace

void StaticPolygon::add_contact(PhysicsPolygon& body, double&, const Vector2& point, const Vector2& normal)
{
    body.contacts.push_back(Contact{point, normal});
}

namespace {

void collide_shapes(const CollisionShape& wall_shape, const CollisionShape& body_shape, StaticPolygon& wall,
                    PhysicsPolygon& body, double& dt)
{
    // Inward normal of an edge in its own polygon's frame, turned into the world.
    const auto inward = [](const Polygon& polygon, const Edge& g) {
        const Vector2 d = unit_or_x(polygon.points[g.second] - polygon.points[g.first]);
        return rotate(polygon.rotation, Vector2(-d.y, d.x));
    };

    // Wall corners inside the body: the normal is minus the body edge's
    // inward normal, pointing from the body towards the wall.
    corners_inside(
        wall_shape, body_shape, [&](const Edge& g) { return -inward(body, g); },
        [&](const Vector2& point, const Vector2& normal) { wall.add_contact(body, dt, point, normal); });

    // Body corners inside the wall: the wall edge's inward normal.
    corners_inside(
        body_shape, wall_shape, [&](const Edge& g) { return inward(wall, g); },
        [&](const Vector2& point, const Vector2& normal) { wall.add_contact(body, dt, point, normal); });
}

}  // namespace

void collide_all(std::vector<StaticPolygon>& walls, std::vector<PhysicsPolygon>& bodies, double& dt)
{
    // Contacts only add to the bodies, so a box or shape found once serves
    // every pair it is in.
    std::vector<WorldBox> wall_boxes;
    wall_boxes.reserve(walls.size());
    for (StaticPolygon& wall : walls)
        wall_boxes.push_back(wall.world_box());
    std::vector<std::optional<CollisionShape>> wall_shapes(walls.size());
    for (PhysicsPolygon& body : bodies) {
        const WorldBox body_box = body.world_box();
        std::optional<CollisionShape> body_shape;
        for (std::size_t w = 0; w < walls.size(); ++w) {
            // Shapes whose boxes do not meet have no corner inside each other:
            // most wall and body pairs end here, with the same contacts as the full test.
            if (!wall_boxes[w].meets(body_box))
                continue;
            if (!wall_shapes[w])
                wall_shapes[w].emplace(walls[w]);
            if (!body_shape)
                body_shape.emplace(body);
            collide_shapes(*wall_shapes[w], *body_shape, walls[w], body, dt);
        }
    }
}
