#include <gtest/gtest.h>

#include <cmath>

#include "geometry/physics_polygon.hpp"
#include "geometry/static_polygon.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/shapes.hpp"

namespace {

PhysicsPolygon unit_body()
{
    PhysicsPolygon body = box<PhysicsPolygon>(-0.5, -0.5, 0.5, 0.5);
    body.update_mass_properties();
    return body;
}

}  // namespace

TEST(PhysicsPolygonMass, UnitSquareIsRecentredOnItsCentroid)
{
    PhysicsPolygon body = box<PhysicsPolygon>(0, 0, 1, 1);
    body.position = Vector2(10, 20);
    body.last_sword_pos = Vector2(0.25, 0.75);
    body.update_mass_properties();
    EXPECT_DOUBLE_EQ(body.mass, 100);
    EXPECT_DOUBLE_EQ(body.moment, 100.0 / 12 * (1 + 1) * 1);
    EXPECT_EQ(body.position, Vector2(10.5, 20.5));
    EXPECT_EQ(body.points[0], Vector2(-0.5, -0.5));
    EXPECT_EQ(body.texture_offset, Vector2(0.5, 0.5)) << "the texture stays on the material";
    EXPECT_EQ(body.last_sword_pos, Vector2(-0.25, 0.25));
    EXPECT_EQ(body.to_world(body.points[2]), Vector2(11, 21)) << "the world shape does not move";
    EXPECT_FALSE(body.bbox_valid);
    EXPECT_EQ(body.cut_drag, 0.5);
}

TEST(PhysicsPolygonMass, HalfSquareRectangleMatchesTheRectangleFormula)
{
    PhysicsPolygon half = box<PhysicsPolygon>(0.5, 0, 1, 1);
    half.update_mass_properties();
    EXPECT_DOUBLE_EQ(half.mass, 50);
    EXPECT_NEAR(half.moment, 100.0 / 12 * (1 + 0.25) * 0.5, 1e-12);
}

TEST(PhysicsPolygonMass, TheNewOriginKeepsTheSpinningMaterialsVelocity)
{
    PhysicsPolygon body = box<PhysicsPolygon>(1, 0, 3, 2);
    body.angular_velocity = 2;
    body.velocity = Vector2(1, 0);
    body.update_mass_properties();
    // The centroid (2, 1) turns about the old origin at 2 rad/s: (-1, 2) * 2.
    EXPECT_EQ(body.velocity, Vector2(1 - 2, 4));
}

TEST(PhysicsPolygonMass, DegenerateAndClockwiseShapes)
{
    PhysicsPolygon slit;
    PhysicsPolygon clockwise;
    LogCapture log;
    slit.points = {{1, 1}, {2, 1}};
    slit.edges = {{0, 1}, {1, 0}};
    slit.update_mass_properties();
    EXPECT_EQ(log.out(), "Mass Zero!\n");
    EXPECT_DOUBLE_EQ(slit.mass, 100 * 0.0001);
    EXPECT_EQ(slit.position, Vector2(1, 1)) << "the first point is the centroid";

    log.clear();
    clockwise.points = {{0, 0}, {0, 1}, {1, 1}, {1, 0}};
    clockwise.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    clockwise.update_mass_properties();
    EXPECT_EQ(log.out(), "Mass: -1\n");
    EXPECT_DOUBLE_EQ(clockwise.mass, 100);
    EXPECT_EQ(clockwise.position, Vector2(0.5, 0.5)) << "the true centroid, not its mirror image";
    EXPECT_GT(clockwise.moment, 0);
}

TEST(PhysicsPolygonMotion, FreeFallGainsGravityTimesDtEachStep)
{
    PhysicsPolygon body = unit_body();
    const Vector2 g(0, -9.81);
    const double dt = 0.015;
    double expected = 0;
    for (int i = 0; i < 10; ++i) {
        body.force += body.mass * g;
        body.integrate(dt);
        expected += dt * (body.mass * g.y) / body.mass;
        EXPECT_EQ(body.velocity.y, expected) << "step " << i;
    }
    EXPECT_EQ(body.velocity.x, 0);
    EXPECT_EQ(body.force, Vector2()) << "forces are used up by the step";
}

TEST(PhysicsPolygonMotion, WithoutForcesMotionIsExactlyKept)
{
    PhysicsPolygon body = unit_body();
    body.velocity = Vector2(0.3, -0.7);
    body.angular_velocity = 1.25;
    const double dt = 0.033;
    Vector2 position = body.position;
    double angle = 0;
    for (int i = 0; i < 5; ++i) {
        body.integrate(dt);
        position += Vector2(0.3, -0.7) * dt;
        angle += 1.25 * dt;
    }
    EXPECT_EQ(body.velocity, Vector2(0.3, -0.7));
    EXPECT_EQ(body.position, position);
    EXPECT_EQ(body.angle, angle);
    EXPECT_EQ(body.rotation.m00, std::cos(angle));
    EXPECT_EQ(body.rotation.m01, -std::sin(angle));
    EXPECT_EQ(body.item.tag_position, body.world_bbox_centre());
}

TEST(PhysicsPolygonMotion, ImpulsesAtAPointSpinTheBody)
{
    PhysicsPolygon body = unit_body();
    body.position = Vector2(1, 1);
    body.apply_impulse(Vector2(0, 10), Vector2(1.5, 1));
    EXPECT_EQ(body.impulse, Vector2(0, 10));
    EXPECT_EQ(body.angular_impulse, 0.5 * 10);
    body.integrate(0.01);
    EXPECT_DOUBLE_EQ(body.velocity.y, 10 / body.mass);
    EXPECT_DOUBLE_EQ(body.angular_velocity, 5 / body.moment);
    EXPECT_EQ(body.impulse, Vector2());
    EXPECT_EQ(body.angular_impulse, 0);
}

TEST(PhysicsPolygonContacts, HeadOnContactLeavesWithRestitutionAndBias)
{
    for (const double s : {0.5, 2.0, 7.0}) {
        PhysicsPolygon body = unit_body();
        body.velocity = Vector2(0, -s);
        // Straight below the centre, normal pointing into the floor.
        body.contacts.push_back(Contact{Vector2(0, -0.5), Vector2(0, -1)});
        body.integrate(0.015);
        EXPECT_NEAR(body.velocity.y, 0.01 * s + 0.01, 1e-12);
        EXPECT_EQ(body.velocity.x, 0);
        EXPECT_EQ(body.angular_velocity, 0);
        EXPECT_TRUE(body.contacts.empty());
    }
}

TEST(PhysicsPolygonContacts, RemainingSpeedIntoTheWallIsRemoved)
{
    PhysicsPolygon body = unit_body();
    // The centre moves into the wall on the right while the spin carries the
    // contact point away from it, so the impulse does not fire.
    body.velocity = Vector2(1, 0);
    body.angular_velocity = -4;
    body.contacts.push_back(Contact{Vector2(0.5, -0.5), Vector2(1, 0)});
    const double dt = 0.01;
    body.integrate(dt);
    EXPECT_EQ(body.velocity.x, 0) << "1 * 0.01 > 0.001 removes the whole normal component";
    EXPECT_EQ(body.angular_velocity, -4);
}

TEST(PhysicsPolygonContacts, SlowApproachKeepsItsNormalSpeed)
{
    PhysicsPolygon body = unit_body();
    body.velocity = Vector2(0.05, 0);
    body.angular_velocity = -4;
    body.contacts.push_back(Contact{Vector2(0.5, -0.5), Vector2(1, 0)});
    body.integrate(0.01);
    EXPECT_EQ(body.velocity.x, 0.05) << "0.05 * 0.01 stays under the 0.001 threshold";
}

TEST(Collide, BodySinkingIntoAFloorGetsDownwardNormals)
{
    StaticPolygon floor = box<StaticPolygon>(-5, -1, 5, 0);
    PhysicsPolygon body = box<PhysicsPolygon>(-0.5, -0.05, 0.5, 0.95);
    body.update_mass_properties();
    double dt = 0.015;
    collide(floor, body, dt);
    ASSERT_EQ(body.contacts.size(), 2u);
    for (const Contact& c : body.contacts) {
        EXPECT_EQ(c.normal, Vector2(0, -1));
        EXPECT_NEAR(c.point.y, 0, 1e-12);
        EXPECT_NEAR(std::fabs(c.point.x), 0.5, 1e-12);
    }
    body.velocity = Vector2(0, -1);
    body.integrate(dt);
    EXPECT_GE(body.velocity.y, 0) << "stopped by the floor";
}

TEST(Collide, WallCornerInsideABodyPushesTheBodyAway)
{
    // A thin wall whose corner pokes into the body's left side from the left.
    StaticPolygon wall = box<StaticPolygon>(-3, -0.1, 0.1, 0.1);
    PhysicsPolygon body = box<PhysicsPolygon>(0, -1, 2, 1);
    body.update_mass_properties();
    double dt = 0.015;
    collide(wall, body, dt);
    ASSERT_FALSE(body.contacts.empty());
    for (const Contact& c : body.contacts) {
        EXPECT_EQ(c.normal, Vector2(-1, 0)) << "from the body towards the wall";
        EXPECT_NEAR(c.point.x, 0, 1e-12);
    }
}

TEST(Collide, SeparateShapesHaveNoContacts)
{
    StaticPolygon floor = box<StaticPolygon>(-5, -1, 5, 0);
    PhysicsPolygon body = box<PhysicsPolygon>(-0.5, 0.01, 0.5, 1);
    body.update_mass_properties();
    double dt = 0.015;
    collide(floor, body, dt);
    EXPECT_TRUE(body.contacts.empty());
}

TEST(PhysicsPolygonRecord, RoundTripAndDamage)
{
    PhysicsPolygon body = box<PhysicsPolygon>(0, 0, 2, 1);
    body.update_mass_properties();
    body.world_bbox_centre();
    body.toughness = 2.5;
    body.velocity = Vector2(1, -2);
    body.angular_velocity = 0.75;
    body.force = Vector2(0, -981);
    body.item.name = "Gold";
    body.item.amount = 0.25;
    body.contacts.push_back(Contact{Vector2(1, 2), Vector2(0, -1)});
    MemoryStorage storage;
    body.save(storage);

    LogCapture log;
    PhysicsPolygon copy;
    ASSERT_TRUE(copy.load(storage));
    EXPECT_EQ(copy.item.tag_position, copy.world_bbox_centre());
    EXPECT_EQ(copy.contacts.size(), 1u);
    MemoryStorage again;
    copy.save(again);
    EXPECT_EQ(again.bytes(), storage.bytes());

    const std::vector<unsigned char>& bytes = storage.bytes();
    for (std::size_t cut = 0; cut < bytes.size(); cut += 7) {
        MemoryStorage shorter;
        shorter.write_raw(bytes.data(), cut);
        PhysicsPolygon damaged;
        EXPECT_FALSE(damaged.load(shorter)) << "cut at " << cut;
    }

    // A contact count the rest of the data cannot hold.
    std::vector<unsigned char> huge(bytes.begin(), bytes.end() - 32 - 4);
    huge.insert(huge.end(), {0xFF, 0xFF, 0xFF, 0x0F});
    MemoryStorage huge_storage;
    huge_storage.write_raw(huge.data(), huge.size());
    PhysicsPolygon damaged;
    EXPECT_FALSE(damaged.load(huge_storage));
}
