#include <gtest/gtest.h>

#include <cmath>

#include "geometry/physics_polygon.hpp"
#include "geometry/static_polygon.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"
#include "support/shapes.hpp"

namespace {

PhysicsPolygon unit_body() { return body_box(-0.5, -0.5, 0.5, 0.5); }

}  // namespace

TEST(PhysicsPolygonMass, BodyIsRecentredOnItsCentroidWithoutMovingInTheWorld)
{
    PhysicsPolygon body = box<PhysicsPolygon>(0, 0, 1, 1);
    body.position = Vector2(10, 20), body.last_sword_pos = Vector2(0.25, 0.75);
    body.update_mass_properties();
    EXPECT_DOUBLE_EQ(body.mass, 100);
    EXPECT_DOUBLE_EQ(body.moment, 100.0 / 12 * (1 + 1) * 1);
    EXPECT_EQ(body.position, Vector2(10.5, 20.5));
    EXPECT_EQ(body.texture_offset, Vector2(0.5, 0.5)) << "the texture stays on the material";
    EXPECT_EQ(body.last_sword_pos, Vector2(-0.25, 0.25));
    EXPECT_EQ(body.to_world(body.points[2]), Vector2(11, 21));

    // A spinning body: the centroid (2, 1) turns about the old origin at 2 rad/s.
    PhysicsPolygon spinning = box<PhysicsPolygon>(1, 0, 3, 2);
    spinning.angular_velocity = 2, spinning.velocity = Vector2(1, 0);
    spinning.update_mass_properties();
    EXPECT_EQ(spinning.velocity, Vector2(1 - 2, 4));
}

TEST(PhysicsPolygonMass, DegenerateAndClockwiseShapes)
{
    LogCapture log;
    PhysicsPolygon slit, clockwise;
    slit.points = {{1, 1}, {2, 1}};
    slit.edges = {{0, 1}, {1, 0}};
    slit.update_mass_properties();
    EXPECT_DOUBLE_EQ(slit.mass, 100 * 0.0001);
    EXPECT_EQ(slit.position, Vector2(1, 1)) << "the first point is the centroid";

    clockwise.points = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    clockwise.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    clockwise.update_mass_properties();
    EXPECT_DOUBLE_EQ(clockwise.mass, 100);
    EXPECT_EQ(clockwise.position, Vector2(0.5, 0.5)) << "the true centroid, not its mirror image";
    EXPECT_GT(clockwise.moment, 0);
}

TEST(PhysicsPolygonMotion, ForcesAndImpulsesAreUsedUpAndFreeMotionIsExact)
{
    PhysicsPolygon falling = unit_body();
    for (int i = 0; i < 10; ++i) {
        falling.force += falling.mass * Vector2(0, -9.81);
        falling.integrate(0.015);
    }
    EXPECT_NEAR(falling.velocity.y, -9.81 * 0.15, 1e-12);
    EXPECT_EQ(falling.force, Vector2());

    PhysicsPolygon free = unit_body();
    free.velocity = Vector2(0.3, -0.7), free.angular_velocity = 1.25;
    Vector2 position = free.position;
    double angle = 0;
    for (int i = 0; i < 5; ++i) {
        free.integrate(0.033);
        position += Vector2(0.3, -0.7) * 0.033;
        angle += 1.25 * 0.033;
    }
    EXPECT_EQ(free.velocity, Vector2(0.3, -0.7));
    EXPECT_EQ(free.position, position);
    EXPECT_EQ(free.angle, angle);
    EXPECT_EQ(free.rotation.m01, -std::sin(angle));

    PhysicsPolygon pushed = unit_body();
    pushed.position = Vector2(1, 1);
    pushed.apply_impulse(Vector2(0, 10), Vector2(1.5, 1));
    EXPECT_EQ(pushed.angular_impulse, 0.5 * 10);
    pushed.integrate(0.01);
    EXPECT_DOUBLE_EQ(pushed.velocity.y, 10 / pushed.mass);
    EXPECT_DOUBLE_EQ(pushed.angular_velocity, 5 / pushed.moment);
    EXPECT_EQ(pushed.angular_impulse, 0);
}

TEST(PhysicsPolygonContacts, BounceRemovalAndSlowApproach)
{
    // Head on, straight below the centre: out with restitution and bias.
    for (const double s : {0.5, 2.0, 7.0}) {
        PhysicsPolygon body = unit_body();
        body.velocity = Vector2(0, -s);
        body.contacts.push_back(Contact{Vector2(0, -0.5), Vector2(0, -1)});
        body.integrate(0.015);
        EXPECT_NEAR(body.velocity.y, 0.01 * s + 0.01, 1e-12);
        EXPECT_EQ(body.angular_velocity, 0);
        EXPECT_TRUE(body.contacts.empty());
    }
    // The centre moves into the wall on the right while the spin carries the
    // contact point away, so no impulse: what remains of the normal speed is
    // removed above 0.001 per step and kept below it.
    for (const auto& [speed, kept] : {std::pair{1.0, 0.0}, std::pair{0.05, 0.05}}) {
        PhysicsPolygon body = unit_body();
        body.velocity = Vector2(speed, 0), body.angular_velocity = -4;
        body.contacts.push_back(Contact{Vector2(0.5, -0.5), Vector2(1, 0)});
        body.integrate(0.01);
        EXPECT_EQ(body.velocity.x, kept) << speed;
        EXPECT_EQ(body.angular_velocity, -4);
    }
}

TEST(Collide, ContactsPointFromTheBodyTowardsTheWall)
{
    double dt = 0.015;
    StaticPolygon floor = box<StaticPolygon>(-5, -1, 5, 0);
    PhysicsPolygon apart = body_box(-0.5, 0.01, 0.5, 1);
    collide(floor, apart, dt);
    EXPECT_TRUE(apart.contacts.empty());

    PhysicsPolygon sinking = body_box(-0.5, -0.05, 0.5, 0.95);
    collide(floor, sinking, dt);
    ASSERT_EQ(sinking.contacts.size(), 2u);
    for (const Contact& c : sinking.contacts) {
        EXPECT_EQ(c.normal, Vector2(0, -1));
        EXPECT_NEAR(c.point.y, 0, 1e-12);
        EXPECT_NEAR(std::fabs(c.point.x), 0.5, 1e-12);
    }
    sinking.velocity = Vector2(0, -1);
    sinking.integrate(dt);
    EXPECT_GE(sinking.velocity.y, 0) << "stopped by the floor";

    // A thin wall whose corner pokes into the body's left side.
    PhysicsPolygon body = body_box(0, -1, 2, 1);
    StaticPolygon wall = box<StaticPolygon>(-3, -0.1, 0.1, 0.1);
    collide(wall, body, dt);
    ASSERT_FALSE(body.contacts.empty());
    for (const Contact& c : body.contacts)
        EXPECT_EQ(c.normal, Vector2(-1, 0));
}

TEST(PhysicsPolygonRecord, AnImpossibleContactCountIsRefused)
{
    PhysicsPolygon body = body_box(0, 0, 2, 1);
    body.contacts.push_back(Contact{Vector2(1, 2), Vector2(0, -1)});
    const std::vector<unsigned char> bytes = saved_bytes(body);
    // The contact count is followed by one 32-byte contact.
    std::vector<unsigned char> huge(bytes.begin(), bytes.end() - 32 - 4);
    huge.insert(huge.end(), {0xFF, 0xFF, 0xFF, 0x0F});
    LogCapture log;
    PhysicsPolygon damaged;
    EXPECT_TRUE(load_bytes(damaged, bytes));
    EXPECT_FALSE(load_bytes(damaged, huge));
}
