#pragma once

#include <cmath>

// A point or vector in level units, y pointing up.
struct Vector2 {
    double x = 0.0;
    double y = 0.0;

    constexpr Vector2() = default;
    constexpr Vector2(double x_, double y_) : x(x_), y(y_) {}

    constexpr Vector2 operator+(const Vector2& o) const { return {x + o.x, y + o.y}; }
    constexpr Vector2 operator-(const Vector2& o) const { return {x - o.x, y - o.y}; }
    constexpr Vector2 operator-() const { return {-x, -y}; }
    constexpr Vector2 operator*(double s) const { return {x * s, y * s}; }
    constexpr Vector2 operator/(double s) const { return {x / s, y / s}; }
    constexpr Vector2& operator+=(const Vector2& o) { x += o.x; y += o.y; return *this; }
    constexpr Vector2& operator-=(const Vector2& o) { x -= o.x; y -= o.y; return *this; }
    constexpr Vector2& operator*=(double s) { x *= s; y *= s; return *this; }
    constexpr Vector2& operator/=(double s) { x /= s; y /= s; return *this; }
    constexpr bool operator==(const Vector2& o) const { return x == o.x && y == o.y; }

    double length() const { return std::sqrt(x * x + y * y); }
    constexpr double length_squared() const { return x * x + y * y; }
};

constexpr Vector2 operator*(double s, const Vector2& v) { return {s * v.x, s * v.y}; }
constexpr double dot(const Vector2& a, const Vector2& b) { return a.x * b.x + a.y * b.y; }
// The unit vector along d; (1, 0) for a zero vector.
inline Vector2 unit_or_x(const Vector2& d)
{
    const double length = d.length();
    return length == 0 ? Vector2(1, 0) : d / length;
}

// z of the 3-D cross product: positive when b lies to the left of a.
constexpr double cross(const Vector2& a, const Vector2& b) { return a.x * b.y - a.y * b.x; }
