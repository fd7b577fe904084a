#include <gtest/gtest.h>

#include "geometry/physics_polygon.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"
#include "support/shapes.hpp"

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
