#include <gtest/gtest.h>

#include "geometry/segment.hpp"
#include "support/log_capture.hpp"

TEST(ClosestPointOnSegment, ProjectsInsideAndClampsToTheEnds)
{
    Vector2 a(0.0, 0.0), b(4.0, 0.0);
    EXPECT_EQ(closest_point_on_segment(a, b, Vector2(1.5, 3.0)), Vector2(1.5, 0.0));
    EXPECT_EQ(closest_point_on_segment(a, b, Vector2(-2.0, 1.0)), a);
    EXPECT_EQ(closest_point_on_segment(a, b, Vector2(7.0, -1.0)), b);
}

TEST(ClosestPointOnSegment, ZeroLengthSegmentGivesItsPoint)
{
    Vector2 a(1.0, 2.0);
    EXPECT_EQ(closest_point_on_segment(a, a, Vector2(5.0, 5.0)), a);
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

TEST_F(IntersectSegments, CrossingInTheMiddle)
{
    EXPECT_TRUE(intersect(Vector2(1.0, -1.0), Vector2(3.0, 3.0)));
    EXPECT_EQ(point, Vector2(1.5, 0.0));
    EXPECT_EQ(t, 1.5);
}

TEST_F(IntersectSegments, CrossesRightFollowsTheDirectionOfB)
{
    crosses_right = false;
    EXPECT_TRUE(intersect(Vector2(2.0, 1.0), Vector2(2.0, -1.0)));
    EXPECT_TRUE(crosses_right);
    EXPECT_EQ(t, 2.0);

    EXPECT_TRUE(intersect(Vector2(2.0, -1.0), Vector2(2.0, 1.0)));
    EXPECT_FALSE(crosses_right);
}

TEST_F(IntersectSegments, EndingOnAFromTheLeftKeepsTheCallersFlag)
{
    crosses_right = true;
    EXPECT_TRUE(intersect(Vector2(2.0, 1.0), Vector2(2.0, 0.0)));
    EXPECT_TRUE(crosses_right);
    crosses_right = false;
    EXPECT_TRUE(intersect(Vector2(2.0, 1.0), Vector2(2.0, 0.0)));
    EXPECT_FALSE(crosses_right);
}

TEST_F(IntersectSegments, TouchingAtTheEndIsNoCrossingAtTheStartIs)
{
    EXPECT_FALSE(intersect(Vector2(4.0, -1.0), Vector2(4.0, 1.0)));
    EXPECT_EQ(t, 4.0);
    EXPECT_TRUE(intersect(Vector2(0.0, -1.0), Vector2(0.0, 1.0)));
    EXPECT_EQ(t, 0.0);
    EXPECT_EQ(point, a0);
}

TEST_F(IntersectSegments, MissesAndDegenerateA)
{
    EXPECT_FALSE(intersect(Vector2(0.0, 1.0), Vector2(4.0, 1.0)));  // parallel
    EXPECT_FALSE(intersect(Vector2(5.0, -1.0), Vector2(5.0, 1.0)));  // beyond a1
    EXPECT_FALSE(intersect(Vector2(1.0, 1.0), Vector2(3.0, 2.0)));   // both on the left
    EXPECT_FALSE(intersect_segments(a0, a0, Vector2(0.0, -1.0), Vector2(0.0, 1.0), point, t, crosses_right));
}

TEST_F(IntersectSegments, CollinearOverlapGivesTheMiddleOfA)
{
    LogCapture log;
    EXPECT_TRUE(intersect(Vector2(1.0, 0.0), Vector2(6.0, 0.0)));
    EXPECT_EQ(log.out(), "This uncommon case!\n");
    EXPECT_EQ(point, Vector2(2.0, 0.0));
    EXPECT_EQ(t, -9.0);

    EXPECT_FALSE(intersect(Vector2(5.0, 0.0), Vector2(6.0, 0.0)));
    EXPECT_FALSE(intersect(Vector2(-3.0, 0.0), Vector2(-1.0, 0.0)));
}
