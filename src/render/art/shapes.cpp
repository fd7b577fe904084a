#include "render/art/shapes.hpp"

#include <algorithm>
#include <cmath>

float length(Point a)
{
    return std::sqrt(dot(a, a));
}

float circle_distance(Point p, Point centre, float radius)
{
    return length(p - centre) - radius;
}

float box_distance(Point p, Point centre, Point half_size, float round)
{
    const Point d{std::abs(p.x - centre.x) - half_size.x + round, std::abs(p.y - centre.y) - half_size.y + round};
    const Point outside{std::max(d.x, 0.0f), std::max(d.y, 0.0f)};
    return length(outside) + std::min(std::max(d.x, d.y), 0.0f) - round;
}

float segment_distance(Point p, Point a, Point b, float radius)
{
    const Point pa = p - a, ba = b - a;
    const float h = std::clamp(dot(pa, ba) / dot(ba, ba), 0.0f, 1.0f);
    return length(pa - ba * h) - radius;
}

float polygon_distance(Point p, const std::vector<Point>& v)
{
    float d = dot(p - v[0], p - v[0]);
    bool inside = false;
    for (std::size_t i = 0, j = v.size() - 1; i < v.size(); j = i++) {
        const Point e = v[j] - v[i], w = p - v[i];
        const Point b = w - e * std::clamp(dot(w, e) / dot(e, e), 0.0f, 1.0f);
        d = std::min(d, dot(b, b));
        // Even-odd crossing test for the sign.
        if ((v[i].y > p.y) != (v[j].y > p.y) && p.x < (v[j].x - v[i].x) * (p.y - v[i].y) / (v[j].y - v[i].y) + v[i].x)
            inside = !inside;
    }
    return inside ? -std::sqrt(d) : std::sqrt(d);
}
