#include "geometry/polygon.hpp"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <iterator>
#include <numbers>
#include <utility>

#include "geometry/polygon_faults.hpp"
#include "geometry/segment.hpp"
#include "storage/base_storage.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

namespace {

constexpr std::size_t point_record_bytes = 16;
constexpr std::size_t edge_record_bytes = 8;

}  // namespace

Polygon::~Polygon() = default;

void Polygon::save(BaseStorage& storage) const
{
    storage.write(style_name);
    storage.write(last_sword_pos);
    storage.write(sword_inside);
    if (sword_inside)
        storage.write(inside_point_count);
    storage.write(cut_pending);
    storage.write(static_cast<unsigned int>(points.size()));
    for (const Vector2& p : points)
        storage.write(p);
    storage.write(static_cast<unsigned int>(edges.size()));
    for (const auto& [start, end] : edges) {
        storage.write(start);
        storage.write(end);
    }
    storage.write(bbox_min);
    storage.write(bbox_max);
    storage.write(Vector2(rotation.m00, rotation.m10));
    storage.write(Vector2(rotation.m01, rotation.m11));
    storage.write(angle);
    storage.write(position);
    storage.write(texture_offset);
    storage.write(cut_drag);
}

bool Polygon::load(BaseStorage& storage)
{
    if (!storage.read(style_name))
        return false;
    style.load_style(style_name);
    bbox_valid = false;
    if (!storage.read(last_sword_pos) || !storage.read(sword_inside))
        return false;
    inside_point_count = 0;
    if (sword_inside && !storage.read(inside_point_count))
        return false;
    if (!storage.read(cut_pending))
        return false;

    unsigned int point_count = 0;
    if (!storage.read_count(point_count, point_record_bytes))
        return false;
    points.assign(point_count, Vector2());
    for (Vector2& p : points)
        if (!storage.read(p))
            return false;
    if (points.empty())
        points.emplace_back(0.0, 0.0);

    unsigned int edge_count = 0;
    if (!storage.read_count(edge_count, edge_record_bytes))
        return false;
    edges.clear();
    for (unsigned int i = 0; i < edge_count; ++i) {
        int start = 0;
        int end = 0;
        if (!storage.read(start) || !storage.read(end))
            return false;
        edges.emplace(start, end);
    }

    Vector2 column0;
    Vector2 column1;
    if (!storage.read(bbox_min) || !storage.read(bbox_max) || !storage.read(column0) ||
        !storage.read(column1) || !storage.read(angle) || !storage.read(position) ||
        !storage.read(texture_offset) || !storage.read(cut_drag))
        return false;
    rotation = {column0.x, column0.y, column1.x, column1.y};
    // Before tracing, which indexes points through the edges.
    if (const Fault fault = polygon_fault(*this)) {
        storage.refuse(fault.reason);
        return false;
    }

    trace_loops(style);
    return true;
}

void Polygon::shift_origin(const Vector2& v)
{
    for (Vector2& p : points)
        p -= v;
    position += rotate(rotation, v);
}

bool Polygon::sanity_check(std::string& message, Vector2& where) const
{
    const int point_total = static_cast<int>(points.size());
    auto valid = [point_total](int index) { return index >= 0 && index < point_total; };

    std::vector<bool> used(points.size(), false);
    for (const auto& [start, end] : edges) {
        if (valid(start))
            used[start] = true;
        if (valid(end))
            used[end] = true;
    }
    for (int i = 0; i < point_total; ++i) {
        if (!used[i]) {
            message = "Unused point";
            where = points[i];
            return false;
        }
    }

    for (const auto& [start, end] : edges) {
        if (!valid(start) || !valid(end)) {
            message = "Edges to invalid points";
            where = Vector2(0.0, 0.0);
            return false;
        }
    }

    for (auto a = edges.begin(); a != edges.end(); ++a) {
        for (auto b = std::next(a); b != edges.end(); ++b) {
            if (a->first == b->first || a->first == b->second || a->second == b->first ||
                a->second == b->second)
                continue;
            Vector2 point;
            double t = 0.0;
            bool crosses_right = false;
            if (intersect_segments(points[a->first], points[a->second], points[b->first], points[b->second],
                                   point, t, crosses_right)) {
                message = "Edges intersecting";
                where = point;
                return false;
            }
        }
    }

    if (signed_area() < 0.0) {
        message = "Mass is less than zero.";
        where = Vector2(0.0, 0.0);
        return false;
    }
    return true;
}

void Polygon::compute_bbox()
{
    bbox_min = Vector2(DBL_MAX, DBL_MAX);
    bbox_max = Vector2(-DBL_MAX, -DBL_MAX);
    for (const Vector2& p : points) {
        if (p.x < bbox_min.x) bbox_min.x = p.x;
        if (p.y < bbox_min.y) bbox_min.y = p.y;
        if (p.x > bbox_max.x) bbox_max.x = p.x;
        if (p.y > bbox_max.y) bbox_max.y = p.y;
    }
    assert(bbox_min.x != DBL_MAX);
    assert(bbox_min.y != DBL_MAX);
    assert(bbox_max.x != -DBL_MAX);
    assert(bbox_max.y != -DBL_MAX);
    bbox_valid = true;
}

Vector2 Polygon::world_bbox_centre()
{
    if (points.empty())
        return Vector2(0.0, 0.0);
    if (!bbox_valid)
        compute_bbox();
    return to_world((bbox_min + bbox_max) / 2.0);
}

WorldBox Polygon::world_box()
{
    if (!bbox_valid)
        compute_bbox();
    const Vector2 corners[4] = {bbox_min, Vector2(bbox_max.x, bbox_min.y), bbox_max, Vector2(bbox_min.x, bbox_max.y)};
    WorldBox box{Vector2(DBL_MAX, DBL_MAX), Vector2(-DBL_MAX, -DBL_MAX)};
    for (const Vector2& c : corners) {
        const Vector2 w = to_world(c);
        box.lo = Vector2(std::min(box.lo.x, w.x), std::min(box.lo.y, w.y));
        box.hi = Vector2(std::max(box.hi.x, w.x), std::max(box.hi.y, w.y));
    }
    constexpr double margin = 1e-6;
    box.lo -= Vector2(margin, margin);
    box.hi += Vector2(margin, margin);
    return box;
}

Vector2 Polygon::to_world(const Vector2& p) const
{
    return Vector2(rotation.m00 * p.x + rotation.m01 * p.y + position.x,
                   rotation.m10 * p.x + rotation.m11 * p.y + position.y);
}

Vector2 Polygon::to_local(const Vector2& p) const
{
    return rotate_back(rotation, p - position);
}

double outline_area(const std::vector<Vector2>& points, const std::multimap<int, int>& edges)
{
    double area = 0.0;
    for (const auto& [start, end] : edges) {
        const Vector2& p = points[start];
        const Vector2& q = points[end];
        area += 0.5 * (p.x * q.y - p.y * q.x);
    }
    return area;
}

int unbalanced_point(const std::vector<Vector2>& points, const std::multimap<int, int>& edges)
{
    std::vector<int> balance(points.size(), 0);
    for (const auto& [start, end] : edges) {
        ++balance[start];
        --balance[end];
    }
    for (std::size_t i = 0; i < balance.size(); ++i)
        if (balance[i] != 0)
            return static_cast<int>(i);
    return -1;
}

double Polygon::signed_area() const
{
    return outline_area(points, edges);
}

Vector2 Polygon::centroid() const
{
    double area = 0.0;
    Vector2 sum;
    for (const auto& [start, end] : edges) {
        const Vector2& p = points[start];
        const Vector2& q = points[end];
        area += 0.5 * (p.x * q.y - p.y * q.x);
        sum += (p + q) * (p.x * q.y - p.y * q.x);
    }
    if (-0.0001 <= area && area <= 0.0) {
        log_out() << "Mass Zero!\n";
        INVARIANT(!points.empty());
        return points[0];
    }
    if (area < -0.0001) {
        log_out() << "Mass: " << area << '\n';
        INVARIANT(area >= -0.0001 && "the boundary must run counter-clockwise");
    }
    return sum / (6.0 * area);
}

bool Polygon::contains(const Vector2& p)
{
    if (!bbox_valid)
        compute_bbox();
    if (!(bbox_min.x <= p.x && p.x <= bbox_max.x && bbox_min.y <= p.y && p.y <= bbox_max.y))
        return false;

    int crossings = 0;
    for (const auto& [start, end] : edges)
        crossings += crosses_left_of(points[start], points[end], p);
    return crossings % 2 == 1;
}

bool Polygon::closest_boundary_point(const Vector2& p, Edge& edge, Vector2& point) const
{
    double mindis = DBL_MAX;
    for (const auto& candidate : edges) {
        if (has_reverse(candidate))
            continue;
        Vector2 c = closest_point_on_segment(points[candidate.first], points[candidate.second], p);
        double distance = (c - p).length_squared();
        if (distance < mindis) {
            mindis = distance;
            edge = candidate;
            point = c;
        }
    }
    return mindis != DBL_MAX;
}

Vector2 Polygon::closest_edge_point(const Vector2& p) const
{
    Vector2 best = position;
    double mindis = DBL_MAX;
    for (const auto& [start, end] : edges) {
        Vector2 c = closest_point_on_segment(points[start], points[end], p);
        double distance = (c - p).length_squared();
        if (distance < mindis) {
            mindis = distance;
            best = c;
        }
    }
    return best;
}

bool Polygon::has_reverse(const Edge& edge) const
{
    auto [first, last] = edges.equal_range(edge.second);
    for (auto it = first; it != last; ++it)
        if (it->second == edge.first)
            return true;
    return false;
}

void Polygon::trace_loops(PolygonStyle& loop_style) const
{
    loop_style.loops.clear();
    std::multimap<int, int> working;
    for (const auto& edge : edges)
        if (!has_reverse(edge))
            working.insert(edge);

    while (!working.empty()) {
        std::vector<int> loop;
        auto current = working.begin();
        const int first = current->first;
        for (;;) {
            const int start = current->first;
            const int end = current->second;
            loop.push_back(start);
            working.erase(current);
            if (end == first)
                break;
            if (working.count(end) == 0) {
                log_out() << "Failed to find sucessor\n";
                break;
            }
            current = most_right_successor(points, working, start, end);
            if (current == working.end()) {
                log_out() << "Failed to find most right\n";
                break;
            }
        }
        loop_style.loops.push_back(std::move(loop));
    }
}

std::multimap<int, int>::iterator most_right_successor(const std::vector<Vector2>& points,
                                                       std::multimap<int, int>& candidates,
                                                       int start, int end)
{
    const Vector2 u = unit_or_x(points[end] - points[start]);
    auto best = candidates.end();
    double best_value = -DBL_MAX;
    auto [first, last] = candidates.equal_range(end);
    for (auto it = first; it != last; ++it) {
        const Vector2 v = unit_or_x(points[it->second] - points[end]);
        const double c = u.x * v.y - u.y * v.x;
        const double d = dot(u, v);
        double value;
        if (it->second == start)
            value = -3.0;
        else if (d >= 0.0)
            value = c;
        else if (c >= 0.0)
            value = c + 1.0;
        else
            value = c - 1.0;
        if (value > best_value) {
            best_value = value;
            best = it;
        }
    }
    return best;
}
