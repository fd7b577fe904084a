#pragma once

#include <vector>

// Signed distances to simple 2-D shapes: negative inside, positive outside,
// in the units of the points given. Shapes combine with std::min (union) and
// std::max(a, -b) (a minus b); the pictures turn distances into anti-aliased
// coverage.
struct Point {
    float x = 0, y = 0;
};

inline Point operator+(Point a, Point b) { return {a.x + b.x, a.y + b.y}; }
inline Point operator-(Point a, Point b) { return {a.x - b.x, a.y - b.y}; }
inline Point operator*(Point a, float k) { return {a.x * k, a.y * k}; }
inline float dot(Point a, Point b) { return a.x * b.x + a.y * b.y; }
float length(Point a);

float circle_distance(Point p, Point centre, float radius);
// Axis-aligned box with corners rounded by `round` (inside the half size).
float box_distance(Point p, Point centre, Point half_size, float round = 0);
// A stroke of half-thickness `radius` from a to b, with round caps.
float segment_distance(Point p, Point a, Point b, float radius);
// A convex or concave closed polygon (any orientation).
float polygon_distance(Point p, const std::vector<Point>& vertices);
