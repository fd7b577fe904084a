#include <gtest/gtest.h>

#include <cmath>
#include <iterator>
#include <tuple>

#include "geometry/physics_polygon.hpp"
#include "geometry/stroke_driver.hpp"
#include "support/log_capture.hpp"

namespace {

// The sword's move to `to` (world) seen by one body.
CutEvents crossings(PhysicsPolygon& body, const Vector2& to)
{
    CutEvents events;
    body.find_crossings(body.to_local(to), events);
    return events;
}

// A square the sword moves across from `from` to `to` at `velocity` (world).
struct Crossing {
    PhysicsPolygon square = unit_square();
    Sword sword;
    CutEvents events;
    Crossing(Vector2 from, Vector2 to, Vector2 velocity, bool blunt = false)
    {
        sword.position = to, sword.velocity = velocity, sword.cannot_cut = blunt;
        square.last_sword_pos = square.to_local(from);
        events = crossings(square, to);
    }
    bool hit_first() { return square.hit_by_sword(events.begin()->second, sword); }
};

int count_doubled(const PhysicsPolygon& body)
{
    int doubled = 0;
    for (const auto& edge : body.edges)
        doubled += body.has_reverse(edge);
    return doubled;
}

}  // namespace

TEST(Cut, StrokeThatStopsInsideLeavesASlitThatALaterStrokeJumpsInto)
{
    LogCapture log;
    StrokeDriver driver;
    driver.bodies.push_back(unit_square());
    driver.place_sword(Vector2(0.25, -0.5));
    driver.move_to(Vector2(0.25, 0.3)), driver.move_to(Vector2(0.25, 0.6));
    // Back within 0.05 of the point before the tip: nothing changes.
    driver.move_to(Vector2(0.27, 0.32));
    ASSERT_EQ(driver.bodies.size(), 1u);
    PhysicsPolygon& square = driver.bodies[0];
    EXPECT_TRUE(square.sword_inside);
    EXPECT_FALSE(square.cut_pending);
    EXPECT_EQ(square.points.size(), 7u) << "the entry point and two slit points";
    EXPECT_EQ(count_doubled(square), 4);
    EXPECT_EQ(square.to_world(square.points.back()), Vector2(0.25, 0.6));
    EXPECT_EQ(square.inside_point_count, 2);

    // The editor's reset when play starts leaves the slit in the material.
    square.sword_inside = false, square.inside_point_count = 0;
    driver.sword.inside_count = 0, driver.sword.total_drag = 0;
    driver.place_sword(Vector2(-0.5, 0.45));
    // Too slow across the boundary to get in, the sword still crosses the slit.
    Sword& sword = driver.sword;
    sword.position = Vector2(0.5, 0.45), sword.velocity = Vector2(0, 0);
    CutEvents events = crossings(square, sword.position);
    ASSERT_EQ(events.size(), 2u);
    for (auto& [key, isect] : events)
        EXPECT_FALSE(square.hit_by_sword(isect, sword));
    EXPECT_TRUE(square.sword_inside);
    EXPECT_TRUE(square.cut_pending);
    EXPECT_EQ(sword.inside_count, 1);
}

// A body moving onto the sword and a tough surface bouncing a slow sword
// happen hundreds of times in the shipped levels' winning games, whose state
// hashes pin them; a blunt sword and the edge cases below do not.
TEST(Cut, BluntSwordAlwaysBouncesButIsNeverStoppedFromInside)
{
    LogCapture log;
    Crossing blunt(Vector2(0.5, -0.5), Vector2(0.5, 0.5), Vector2(0, 100), true);
    ASSERT_EQ(blunt.events.size(), 1u);
    EXPECT_TRUE(blunt.hit_first());
    EXPECT_FALSE(blunt.square.sword_inside);

    Crossing c(Vector2(0.5, -0.5), Vector2(0.5, 0.5), Vector2(0, 100));
    auto [square, sword, events] = std::tie(c.square, c.sword, c.events);
    ASSERT_FALSE(c.hit_first());
    ASSERT_TRUE(square.sword_inside);

    // An entering crossing met from inside (a graze along a corner) is
    // ignored, however blunt the sword has become meanwhile.
    Intersection graze;
    graze.parent = &square, graze.e1_to_erase = square.edges.find(1), graze.e2_to_erase = square.edges.end();
    graze.point = square.points[1], graze.entering = true;
    sword.cannot_cut = true;
    const Vector2 velocity = sword.velocity;
    EXPECT_FALSE(square.hit_by_sword(graze, sword));
    EXPECT_EQ(sword.velocity, velocity);
    EXPECT_EQ(sword.inside_count, 1);
}

TEST(Cut, EdgeEndingOnTheSwordLineFromItsLeftIsLeaving)
{
    LogCapture log;
    // Two triangles. The sword runs along y = 0: it goes into the first across
    // 2->0, and only grazes the second at its corner 4, where 3->4 comes from
    // the left of the line and ends on it.
    PhysicsPolygon body;
    body.points = {{-3, -1}, {-2, -1}, {-2, 1}, {0, 1}, {1, 0}, {2, 1}};
    body.edges = {{0, 1}, {1, 2}, {2, 0}, {3, 4}, {4, 5}, {5, 3}};
    body.last_sword_pos = Vector2(-4, 0);
    CutEvents events;
    body.find_crossings(Vector2(4, 0), events);
    int graze = 0;
    for (auto& [key, isect] : events) {
        const int from = isect.e1_to_erase->first;
        EXPECT_TRUE(from != 2 || isect.entering);
        if (from == 3) {
            EXPECT_TRUE(!isect.entering && isect.leaving);
            ++graze;
        }
    }
    EXPECT_EQ(graze, 1);
}

TEST(Cut, CrossedSlitGivesOneEvent)
{
    LogCapture log;
    StrokeDriver driver;
    driver.bodies.push_back(unit_square());
    driver.place_sword(Vector2(0.25, -0.5));
    driver.move_to(Vector2(0.25, 0.75)), driver.move_to(Vector2(0.75, 0.75));
    PhysicsPolygon& square = driver.bodies[0];
    CutEvents events = crossings(square, Vector2(0.1, 0.5));
    ASSERT_EQ(events.size(), 1u);
    const Intersection& isect = events.begin()->second;
    EXPECT_NE(isect.e2_to_erase, square.edges.end());
    EXPECT_FALSE(isect.entering || isect.leaving);
}
