#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <string>

#include "geometry/physics_polygon.hpp"
#include "geometry/stroke_driver.hpp"
#include "support/log_capture.hpp"

namespace {

constexpr double pi = std::numbers::pi;

// n corners around the origin, each in its own sector of the circle so that
// no two are half a turn apart: convex when every radius is 1, star-shaped
// and mostly concave otherwise.
std::vector<Vector2> random_outline(std::mt19937& rng, int n, double min_radius)
{
    std::uniform_real_distribution<double> jitter(0.0, 0.4);
    std::uniform_real_distribution<double> radius(min_radius, 1.0);
    std::vector<Vector2> outline;
    for (int i = 0; i < n; ++i) {
        const double a = (i + jitter(rng)) * 2.0 * pi / n, r = radius(rng);
        outline.emplace_back(r * std::cos(a), r * std::sin(a));
    }
    return outline;
}

Vector2 on_circle(std::mt19937& rng, const Vector2& centre, double radius)
{
    const double a = std::uniform_real_distribution<double>(0.0, 2.0 * pi)(rng);
    return centre + Vector2(std::cos(a), std::sin(a)) * radius;
}

// From outside, wandering through the body's disc (across its own slits, back
// and forth), to outside again.
std::vector<Vector2> wandering_path(std::mt19937& rng, const Vector2& centre)
{
    std::uniform_real_distribution<double> u(-1.0, 1.0);
    std::vector<Vector2> path{on_circle(rng, centre, 1.5)};
    Vector2 heading = (centre - path.back()) / 1.5;
    for (int i = 0; i < 60 && (path.back() - centre).length() < 1.6; ++i) {
        double turn = 1.2 * u(rng);
        heading = Vector2(heading.x * std::cos(turn) - heading.y * std::sin(turn),
                          heading.x * std::sin(turn) + heading.y * std::cos(turn));
        if (i < 3 && dot(heading, centre - path.back()) < 0.0)
            heading = -heading;
        path.push_back(path.back() + heading * (0.02 + 0.2 * (u(rng) + 1.0)));
    }
    const Vector2 away = path.back() - centre;
    path.push_back(centre + away / away.length() * 3.0);
    return path;
}

struct Totals {
    double area = 0.0, mass = 0.0, amount = 0.0;
};

Totals totals(const std::vector<PhysicsPolygon>& bodies)
{
    Totals t;
    for (const PhysicsPolygon& body : bodies) {
        t.area += body.signed_area();
        t.mass += body.mass;
        t.amount += body.item.amount;
    }
    return t;
}

bool finite(const Vector2& v) { return std::isfinite(v.x) && std::isfinite(v.y); }

// Empty when the body is a proper piece.
std::string defect(const PhysicsPolygon& body)
{
    std::string message;
    Vector2 where;
    if (!body.sanity_check(message, where))
        return message;
    if (is_sliver(body) || !(body.mass > 0.0) || !(body.moment > 0.0) || !(body.item.amount >= 0.0))
        return "a sliver was kept";
    for (const Vector2& p : body.points)
        if (!finite(p))
            return "a point is not finite";
    if (!finite(body.position) || !finite(body.velocity) || !std::isfinite(body.angular_velocity + body.angle))
        return "the motion is not finite";
    if (body.sword_inside && !(body.last_sword_pos == body.points.back()))
        return "the sword's tip is not the last point";
    return "";
}

}  // namespace

TEST(StrokeProperty, RandomStrokesKeepAreaMassAndAmount)
{
    LogCapture log;
    for (int seed = 1; seed <= 500; ++seed) {
        std::mt19937 rng(seed);
        const bool convex = seed % 3 == 0;
        StrokeDriver driver;
        // Dense and rich bodies: a piece the split drops for its mass or
        // amount holds less than 1e-12 of the area.
        PhysicsPolygon body = make_body(random_outline(rng, 3 + seed % 12, convex ? 1.0 : 0.3), 1e9, 1e9);
        std::uniform_real_distribution<double> u(-1.0, 1.0);
        body.position = Vector2(3.0 * u(rng), 3.0 * u(rng)), body.angle = pi * u(rng);
        body.rotation = Rotation{std::cos(body.angle), std::sin(body.angle), -std::sin(body.angle), std::cos(body.angle)};
        body.toughness = 0.0;
        const Vector2 centre = body.position;
        driver.bodies.push_back(body);
        const Totals before = totals(driver.bodies);

        for (int s = 0; s < 6; ++s) {
            if (s % 2 == 0) {
                driver.stroke(on_circle(rng, centre, 2.0), on_circle(rng, centre, 2.0), 1 + s);
            } else {
                std::vector<Vector2> path = wandering_path(rng, centre);
                driver.place_sword(path[0]);
                for (std::size_t i = 1; i < path.size(); ++i)
                    driver.move_to(path[i]);
            }
            SCOPED_TRACE("seed " + std::to_string(seed) + ", stroke " + std::to_string(s));
            const Totals after = totals(driver.bodies);
            const Totals lost = totals(driver.dropped);
            EXPECT_NEAR(after.area + lost.area, before.area, 1e-9 * before.area);
            EXPECT_NEAR(after.mass + lost.mass, before.mass, 1e-9 * before.mass);
            EXPECT_NEAR(after.amount + lost.amount, before.amount, 1e-9 * before.amount);
            for (const PhysicsPolygon& piece : driver.bodies) {
                EXPECT_EQ(defect(piece), "");
                EXPECT_FALSE(piece.sword_inside) << "every stroke ends outside";
            }
            EXPECT_EQ(driver.sword.inside_count, 0);
            if (HasFailure())
                return;
        }
    }
}
