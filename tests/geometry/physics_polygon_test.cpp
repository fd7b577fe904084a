#include <gtest/gtest.h>

#include "geometry/physics_polygon.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"
#include "support/shapes.hpp"

// Recentring, motion, contacts and collisions shape every shipped level's game
// and so its state hash; here, the shapes the levels do not hold.
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
