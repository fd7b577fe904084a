#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>

#include "geometry/goal_polygon.hpp"
#include "geometry/sword.hpp"
#include "render/particles.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"

namespace {

GoalTargetInfoBit bit(int count, double amount, double tolerance, const std::string& name, int matched = 0)
{
    GoalTargetInfoBit b;
    b.count = count, b.amount = amount, b.tolerance = tolerance, b.name = name, b.matched = matched;
    return b;
}

GoalItemInfo item(const std::string& name, double amount)
{
    GoalItemInfo i;
    i.name = name, i.amount = amount;
    return i;
}

void rectangle(Polygon& shape, double half_x, double half_y, Vector2 position)
{
    shape.points = {{-half_x, -half_y}, {half_x, -half_y}, {half_x, half_y}, {-half_x, half_y}};
    shape.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    shape.position = position;
}

void turn_quarter(Polygon& shape)
{
    shape.angle = M_PI / 2;
    shape.rotation = {0, 1, -1, 0};
}

PhysicsPolygon body(const std::string& name, double amount, Vector2 position, double half = 0.25)
{
    PhysicsPolygon b;
    rectangle(b, half, half, position);
    b.item = item(name, amount);
    return b;
}

// The square [-1, 1]² asking for two Gold of 0.5 +/- 0.25.
GoalPolygon goal()
{
    GoalPolygon g;
    rectangle(g, 1, 1, {0, 0});
    g.target.bits = {bit(1, 0.5, 0.25, "Gold")};
    return g;
}

class GoalEvaluate : public ::testing::Test {
protected:
    LogCapture log;
    ParticleManager particles;
    Sword sword;
    std::vector<Particle>& emitted() { return particles.particles_of(default_particle_style); }
};

}  // namespace

TEST(GoalBit, AcceptsWithinTheToleranceUntilSatisfiedAndDescribesWhatIsLeft)
{
    const std::pair<GoalItemInfo, bool> offers[] = {
        {item("Gold", 0.25), true}, {item("Gold", 0.75), true}, {item("Gold", 0.2499), false},
        {item("Gold", 0.7501), false}, {item("gold", 0.5), false}};
    for (const auto& [offer, accepted] : offers)
        EXPECT_EQ(bit(1, 0.5, 0.25, "Gold").accept(offer), accepted) << offer.name << " " << offer.amount;
    EXPECT_TRUE(bit(0, 0, 0, "Gold").accept(item("Gold", 100))) << "amount 0 takes any amount";

    // Count 1 asks for two.
    GoalTargetInfoBit b = bit(1, 0.5, 0.25, "Gold");
    EXPECT_EQ(b.describe(), "2 Gold@0.5 +/- 0.25");
    EXPECT_TRUE(b.accept(item("Gold", 0.5)));
    EXPECT_FALSE(b.satisfied());
    EXPECT_EQ(b.describe(), "1 Gold@0.5 +/- 0.25");
    EXPECT_TRUE(b.accept(item("Gold", 0.5)));
    EXPECT_TRUE(b.satisfied());
    EXPECT_FALSE(b.accept(item("Gold", 0.5)));
    EXPECT_EQ(b.matched, 2);

    EXPECT_EQ(bit(INT_MAX, 0, 0, "X", INT_MIN).describe(), "4294967296 X") << "no overflow";
}

TEST_F(GoalEvaluate, OverlapIsFoundFromEitherSideInWorldCoordinates)
{
    // Local [-2, 2] x [-0.5, 0.5] turned a quarter at (10, 0): world x 9.5..10.5, y -2..2.
    // Only the corners of the second body lie inside the goal.
    GoalPolygon upright;
    rectangle(upright, 2, 0.5, {10, 0});
    turn_quarter(upright);
    upright.target.bits = {bit(0, 0, 0, "Gold")};
    std::vector<PhysicsPolygon> bodies{body("Gold", 1, {11.5, 0}, 0.2), body("Gold", 1, {10, 1.5}, 0.2)};
    EXPECT_TRUE(upright.evaluate(bodies, particles, sword));
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0].position, Vector2(11.5, 0)) << "no overlap, nothing happens";

    // The same shape as a body across a goal whose origin is off to the side:
    // only goal corners lie inside the body.
    GoalPolygon small = goal();
    rectangle(small, 0.3, 0.3, {10, 1.5});
    small.shift_origin(Vector2(-3, 0));
    PhysicsPolygon lying = body("Gold", 0.5, {0, 0});
    rectangle(lying, 2, 0.5, {10, 0});
    turn_quarter(lying);
    bodies = {lying};
    small.evaluate(bodies, particles, sword);
    EXPECT_TRUE(bodies.empty());
}

TEST_F(GoalEvaluate, ConsumesLastRememberedFirstAndCorrectsTheSword)
{
    GoalPolygon g = goal();
    g.target.bits = {bit(2, 0.5, 0.25, "Gold")};
    std::vector<PhysicsPolygon> bodies{body("Gold", 0.5, {-0.5, 0}), body("Gold", 0.5, {5, 0}),
                                       body("Gold", 0.5, {0.5, 0}), body("Gold", 0.5, {0, 0.5})};
    bodies[2].sword_inside = true;
    bodies[3].sword_inside = true;
    bodies[3].cut_drag = 0.25;
    sword.inside_count = 5, sword.total_drag = 2.0;

    EXPECT_TRUE(g.evaluate(bodies, particles, sword));
    ASSERT_EQ(bodies.size(), 1u);
    EXPECT_EQ(bodies[0].position, Vector2(5, 0));
    EXPECT_EQ(sword.inside_count, 3);
    EXPECT_EQ(sword.total_drag, 1.25);
    // A square keeps every interior try: 4 corners and 10 more per body, each
    // body starting at its first corner.
    ASSERT_EQ(emitted().size(), 3u * 14);
    EXPECT_EQ(Vector2(emitted()[0].x, emitted()[0].y), Vector2(-0.25, 0.25)) << "the last remembered goes first";
    EXPECT_EQ(Vector2(emitted()[14].x, emitted()[14].y), Vector2(0.25, -0.25));
    EXPECT_EQ(Vector2(emitted()[28].x, emitted()[28].y), Vector2(-0.75, -0.25));
}

TEST_F(GoalEvaluate, AcceptedBodyIsNotOfferedToLaterBits)
{
    GoalPolygon g = goal();
    g.target.bits = {bit(0, 0.5, 0.1, "Gold"), bit(3, 0, 0, "Gold"), bit(3, 0, 0, "Gold")};
    std::vector<PhysicsPolygon> bodies{body("Gold", 2.0, {0, 0}), body("Gold", 0.5, {0.2, 0})};
    EXPECT_FALSE(g.evaluate(bodies, particles, sword));
    EXPECT_EQ(g.target.bits[0].matched, 1);
    EXPECT_EQ(g.target.bits[1].matched, 1) << "the body the first bit refused";
    EXPECT_EQ(g.target.bits[2].matched, 0);
    EXPECT_TRUE(bodies.empty()) << "accepted bodies go also while the goal is not done";
}

TEST_F(GoalEvaluate, WithoutBitsOverlapCompletesItAndADoneGoalTakesNothingMore)
{
    GoalPolygon g = goal();
    g.target.bits.clear();
    std::vector<PhysicsPolygon> bodies{body("Stone", 3, {5, 5})};
    EXPECT_FALSE(g.evaluate(bodies, particles, sword));
    bodies.push_back(body("Stone", 3, {0.5, 0}));
    EXPECT_TRUE(g.evaluate(bodies, particles, sword));
    EXPECT_EQ(bodies.size(), 2u) << "nothing consumed";

    g = goal();
    g.target.bits = {bit(0, 0, 0, "Gold")};
    bodies = {body("Gold", 1, {0, 0}), body("Gold", 1, {0, 0})};
    EXPECT_TRUE(g.evaluate(bodies, particles, sword));
    g.target.bits[0].matched = 0;
    EXPECT_TRUE(g.evaluate(bodies, particles, sword));
    EXPECT_EQ(bodies.size(), 1u);
    EXPECT_EQ(g.target.bits[0].matched, 0);
}

// The whole record's round trip is checked with the level text.
TEST(GoalRecord, DamagedRecordsAreRefused)
{
    LogCapture log;
    GoalPolygon g = goal();
    GoalPolygon copy;
    MemoryStorage huge;
    huge.write(false);
    g.Polygon::save(huge);
    huge.write(true), huge.write(false), huge.write(false), huge.write(std::string("x")), huge.write(0xFFFFFFFFu);
    g.target.bits[0].save(huge);
    huge.write(false);
    EXPECT_FALSE(copy.load(huge)) << "a bit count far beyond the data";

    GoalPolygon overflowing = goal();
    overflowing.target.bits = {bit(INT_MAX, 0, 0, "Gold", INT_MAX)};
    EXPECT_FALSE(load_bytes(copy, saved_bytes(overflowing))) << "a counter that would overflow";

    GoalPolygon not_a_number = goal();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    not_a_number.points = {{nan, nan}};
    not_a_number.edges.clear();
    EXPECT_FALSE(load_bytes(copy, saved_bytes(not_a_number))) << "a point with no bounding box";
}
