#include "geometry/segment.hpp"

#include "storage/log.hpp"

Vector2 closest_point_on_segment(const Vector2& a, const Vector2& b, const Vector2& p)
{
    Vector2 d = b - a;
    double L = d.length();
    // A segment of no length is its one point; the direction would be 0/0.
    if (L == 0.0)
        return a;
    Vector2 u = d / L;
    double t = dot(p - a, u);
    if (t < 0.0)
        t = 0.0;
    else if (t > L)
        t = L;
    return a + u * t;
}

bool intersect_segments(const Vector2& a0, const Vector2& a1, const Vector2& b0, const Vector2& b1,
                        Vector2& point, double& t, bool& crosses_right)
{
    if (a0.x == a1.x && a0.y == a1.y)
        return false;

    Vector2 d = a1 - a0;
    double L = d.length();
    // Distinct ends can still give L = 0 when the squares underflow.
    Vector2 u = L == 0.0 ? Vector2(1.0, 0.0) : d / L;
    double along0 = dot(b0 - a0, u);
    double along1 = dot(b1 - a0, u);
    double side0 = u.x * (b0.y - a0.y) - u.y * (b0.x - a0.x);
    double side1 = u.x * (b1.y - a0.y) - u.y * (b1.x - a0.x);

    if ((side0 < 0.0 && side1 < 0.0) || (side0 > 0.0 && side1 > 0.0))
        return false;

    if (side0 <= 0.0) {
        side0 = -side0;
        crosses_right = false;
    }
    if (side1 < 0.0) {
        side1 = -side1;
        crosses_right = true;
    }

    if (side0 == 0.0 && side1 == 0.0) {
        log_out() << "This uncommon case!\n";
        point = a0 + u * L / 2.0;
        return (along0 < L && along1 >= 0.0) || (along0 >= 0.0 && along1 < L);
    }

    // Each end's distance along A weighted by the other end's distance from A.
    t = (side1 * along0 + side0 * along1) / (side0 + side1);
    point = a0 + u * t;
    return 0.0 <= t && t < L;
}
