#include <gtest/gtest.h>

#include "geometry/segment.hpp"
#include "support/log_capture.hpp"

TEST(ClosestPointOnSegment, ProjectsInsideAndClampsToTheEnds)
{
    const Vector2 a(0.0, 0.0), b(4.0, 0.0);
    EXPECT_EQ(closest_point_on_segment(a, b, Vector2(1.5, 3.0)), Vector2(1.5, 0.0));
    EXPECT_EQ(closest_point_on_segment(a, b, Vector2(-2.0, 1.0)), a);
    EXPECT_EQ(closest_point_on_segment(a, b, Vector2(7.0, -1.0)), b);
    EXPECT_EQ(closest_point_on_segment(b, b, Vector2(5.0, 5.0)), b) << "zero length";
}

class IntersectSegments : public ::testing::Test {
protected:
    bool intersect(Vector2 b0, Vector2 b1) { return intersect_segments(a0, a1, b0, b1, point, t, crosses_right); }

    Vector2 a0{0.0, 0.0};
    Vector2 a1{4.0, 0.0};
    Vector2 point{-9.0, -9.0};
    double t = -9.0;
    bool crosses_right = false;
};

TEST_F(IntersectSegments, PointParameterAndSide)
{
    EXPECT_TRUE(intersect(Vector2(1.0, -1.0), Vector2(3.0, 3.0)));
    EXPECT_EQ(point, Vector2(1.5, 0.0));
    EXPECT_EQ(t, 1.5);

    // The side follows the direction of b.
    EXPECT_TRUE(intersect(Vector2(2.0, 1.0), Vector2(2.0, -1.0)));
    EXPECT_TRUE(crosses_right);
    EXPECT_EQ(t, 2.0);
    EXPECT_TRUE(intersect(Vector2(2.0, -1.0), Vector2(2.0, 1.0)));
    EXPECT_FALSE(crosses_right);

    // Ending on a from the left keeps the caller's flag, whichever it is.
    for (const bool flag : {true, false}) {
        crosses_right = flag;
        EXPECT_TRUE(intersect(Vector2(2.0, 1.0), Vector2(2.0, 0.0)));
        EXPECT_EQ(crosses_right, flag);
    }
}

TEST_F(IntersectSegments, EndsMissesAndCollinearOverlap)
{
    EXPECT_FALSE(intersect(Vector2(4.0, -1.0), Vector2(4.0, 1.0))) << "touching a1 is no crossing";
    EXPECT_EQ(t, 4.0);
    EXPECT_TRUE(intersect(Vector2(0.0, -1.0), Vector2(0.0, 1.0))) << "touching a0 is";
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(point, a0);

    EXPECT_FALSE(intersect(Vector2(0.0, 1.0), Vector2(4.0, 1.0)));  // parallel
    EXPECT_FALSE(intersect(Vector2(5.0, -1.0), Vector2(5.0, 1.0)));  // beyond a1
    EXPECT_FALSE(intersect(Vector2(1.0, 1.0), Vector2(3.0, 2.0)));   // both on the left
    EXPECT_FALSE(intersect_segments(a0, a0, Vector2(0.0, -1.0), Vector2(0.0, 1.0), point, t, crosses_right));

    LogCapture log;
    t = -9.0;
    EXPECT_TRUE(intersect(Vector2(1.0, 0.0), Vector2(6.0, 0.0)));
    EXPECT_EQ(log.out(), "This uncommon case!\n");
    EXPECT_EQ(point, Vector2(2.0, 0.0)) << "the middle of a";
    EXPECT_EQ(t, -9.0);
    EXPECT_FALSE(intersect(Vector2(5.0, 0.0), Vector2(6.0, 0.0)));
    EXPECT_FALSE(intersect(Vector2(-3.0, 0.0), Vector2(-1.0, 0.0)));
}
