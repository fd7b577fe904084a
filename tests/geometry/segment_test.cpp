#include <gtest/gtest.h>

#include <cmath>

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

// The sword's move a = (0,0)->(4,0) against an edge b. t and the point start
// at -9; NAN is not looked at. side: 1 or 0 is the crossing's, -1 keeps the
// caller's flag, whichever it is, and -2 is not looked at.
TEST(IntersectSegments, PointParameterSideEndsAndOverlap)
{
    const struct {
        const char* name;
        Vector2 b0, b1;
        bool hit;
        double t;
        Vector2 point;
        int side;
    } cases[] = {
        {"across", {1, -1}, {3, 3}, true, 1.5, {1.5, 0}, 0},
        {"downwards: to the right", {2, 1}, {2, -1}, true, 2, {2, 0}, 1},
        {"upwards: to the left", {2, -1}, {2, 1}, true, 2, {2, 0}, 0},
        {"ending on a from the left", {2, 1}, {2, 0}, true, NAN, {NAN, NAN}, -1},
        {"touching a1 is no crossing", {4, -1}, {4, 1}, false, 4, {NAN, NAN}, -2},
        {"touching a0 is", {0, -1}, {0, 1}, true, 0, {0, 0}, 0},
        {"parallel", {0, 1}, {4, 1}, false, NAN, {NAN, NAN}, -2},
        {"beyond a1", {5, -1}, {5, 1}, false, NAN, {NAN, NAN}, -2},
        {"both on the left", {1, 1}, {3, 2}, false, NAN, {NAN, NAN}, -2},
        {"collinear overlap: the middle of a", {1, 0}, {6, 0}, true, -9, {2, 0}, -2},
        {"collinear past a1", {5, 0}, {6, 0}, false, NAN, {NAN, NAN}, -2},
        {"collinear before a0", {-3, 0}, {-1, 0}, false, NAN, {NAN, NAN}, -2},
    };
    LogCapture log;
    const Vector2 a0(0, 0), a1(4, 0);
    for (const auto& c : cases)
        for (const bool flag : {true, false}) {
            SCOPED_TRACE(c.name);
            Vector2 point(-9, -9);
            double t = -9;
            bool crosses_right = flag;
            EXPECT_EQ(intersect_segments(a0, a1, c.b0, c.b1, point, t, crosses_right), c.hit);
            if (!std::isnan(c.t))
                EXPECT_EQ(t, c.t);
            if (!std::isnan(c.point.x))
                EXPECT_EQ(point, c.point);
            if (c.side != -2)
                EXPECT_EQ(crosses_right, c.side < 0 ? flag : c.side == 1);
        }
    Vector2 point;
    double t = 0;
    bool crosses_right = false;
    EXPECT_FALSE(intersect_segments(a0, a0, Vector2(0, -1), Vector2(0, 1), point, t, crosses_right)) << "a has no length";
}
