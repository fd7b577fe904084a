#include <gtest/gtest.h>

#include "geometry/physics_polygon.hpp"
#include "geometry/stroke_driver.hpp"
#include "support/log_capture.hpp"

namespace {

PhysicsPolygon unit_square() { return make_body({{0, 0}, {1, 0}, {1, 1}, {0, 1}}); }

// A body made of the given edges, its local frame the world's, mass as the
// density gives it, waiting to be split.
PhysicsPolygon cut_body(std::vector<Vector2> points, std::multimap<int, int> edges)
{
    PhysicsPolygon body;
    body.points = std::move(points);
    body.edges = std::move(edges);
    body.mass = body.density * body.signed_area();
    body.cut_pending = true;
    return body;
}

}  // namespace

TEST(Split, SquareCutAtHalfWidthGivesTwoHalvesThatKeepItsRigidMotion)
{
    LogCapture log;
    StrokeDriver driver;
    driver.bodies.push_back(unit_square());
    driver.bodies[0].velocity = Vector2(1, 0);
    driver.bodies[0].angular_velocity = 2;
    driver.stroke(Vector2(0.5, -1), Vector2(0.5, 2));

    ASSERT_EQ(driver.bodies.size(), 2u);
    const PhysicsPolygon& left = driver.bodies[0];
    const PhysicsPolygon& right = driver.bodies[1];
    EXPECT_EQ(left.to_world(left.points[0]), Vector2(0, 0)) << "the polygon keeps point 0";
    EXPECT_EQ(left.position, Vector2(0.25, 0.5));
    EXPECT_EQ(right.position, Vector2(0.75, 0.5));
    // v + w x d, with d from the old centre (0.5, 0.5) to the piece's.
    EXPECT_EQ(left.velocity, Vector2(1, -0.5));
    EXPECT_EQ(right.velocity, Vector2(1, 0.5));
    for (const PhysicsPolygon& half : driver.bodies) {
        EXPECT_FALSE(half.cut_pending);
        EXPECT_EQ(half.edges.size(), 4u);
        EXPECT_DOUBLE_EQ(half.mass, 50);
        EXPECT_NEAR(half.moment, 100.0 / 12.0 * (1.0 + 0.25) * 0.5, 1e-12);
        EXPECT_DOUBLE_EQ(half.item.amount, 0.5);
        EXPECT_EQ(half.angular_velocity, 2);
        EXPECT_FALSE(half.sword_inside);
        EXPECT_EQ(half.style.loops.size(), 1u);
    }
}

TEST(Split, CornerSliversAreDroppedAtOnce)
{
    LogCapture log;
    // Corner triangles of legs s: area s^2 / 2, amount the same share of 1.
    struct Case {
        double s;
        std::size_t bodies;
    };
    for (Case c : {Case{0.004, 1}, Case{0.012, 1}, Case{0.02, 2}}) {
        StrokeDriver driver;
        driver.bodies.push_back(unit_square());
        driver.stroke(Vector2(1.1, 0.9 - c.s), Vector2(0.9 - c.s, 1.1));
        SCOPED_TRACE(c.s);
        ASSERT_EQ(driver.bodies.size(), c.bodies) << "mass 0.0008 and amount 0.000072 are too little";
        EXPECT_NEAR(driver.bodies[0].mass, 100 - 100 * c.s * c.s / 2, 1e-9);
        EXPECT_TRUE(driver.dropped.empty()) << "the split itself removes them";
    }
}

TEST(Split, LoopEdgesAreNeverWalked)
{
    LogCapture log;
    // A diamond with a loop at the front and one at the left corner, where it
    // would be the most right turn.
    PhysicsPolygon diamond =
        cut_body({{0, -1}, {1, 0}, {0, 1}, {-1, 0}}, {{0, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 3}, {3, 0}});
    std::vector<PhysicsPolygon> pieces;
    diamond.split_into_pieces(pieces);
    EXPECT_TRUE(pieces.empty());
    EXPECT_EQ(diamond.edges.size(), 4u);
    for (const auto& [start, end] : diamond.edges)
        EXPECT_NE(start, end);
    EXPECT_DOUBLE_EQ(diamond.mass, 200);
}

TEST(Split, WalksThatCannotCloseAreWasted)
{
    LogCapture log;
    // An open path, then a triangle.
    PhysicsPolygon dead_end = cut_body({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 0}, {6, 0}, {5, 1}},
                                       {{0, 1}, {1, 2}, {2, 3}, {4, 5}, {5, 6}, {6, 4}});
    // A path whose last point has only a loop, then a triangle.
    PhysicsPolygon loop_end = cut_body({{0, 0}, {1, 0}, {1, 1}, {5, 0}, {6, 0}, {5, 1}},
                                       {{0, 1}, {1, 2}, {2, 2}, {3, 4}, {4, 5}, {5, 3}});
    const double old_masses[] = {dead_end.mass, loop_end.mass};
    log.clear();
    std::vector<PhysicsPolygon> pieces;
    dead_end.split_into_pieces(pieces);
    EXPECT_EQ(log.out(), "Failed to find sucessor\nEdges wasted...\n");
    log.clear();
    loop_end.split_into_pieces(pieces);
    EXPECT_EQ(log.out(), "Failed to find most right\nEdges wasted...\n");

    EXPECT_TRUE(pieces.empty());
    int i = 0;
    for (const PhysicsPolygon* body : {&dead_end, &loop_end}) {
        EXPECT_EQ(body->edges.size(), 3u);
        EXPECT_DOUBLE_EQ(body->mass, 50);
        EXPECT_DOUBLE_EQ(body->item.amount, 50 / old_masses[i++]) << "the triangle's share";
    }
}

TEST(Split, OnlyTheFirstPieceAtTheSwordTipHoldsTheSword)
{
    LogCapture log;
    // A square cut top to bottom, and the sword inside, stopped where it has
    // just crossed that cut from the left edge: its tip (0.5, 0.5) is a corner
    // of all three pieces.
    PhysicsPolygon square = cut_body(
        {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 0}, {0.5, 1}, {0, 0.5}, {0.5, 0.5}},
        {{0, 4}, {4, 1}, {1, 2}, {2, 5}, {5, 3}, {3, 6}, {6, 0}, {4, 7}, {7, 4}, {7, 5}, {5, 7}, {6, 7}, {7, 6}});
    square.sword_inside = true;
    square.last_sword_pos = Vector2(0.5, 0.5);
    std::vector<PhysicsPolygon> pieces;
    square.split_into_pieces(pieces);

    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_DOUBLE_EQ(square.mass, 25) << "the lower left quarter, with point 0";
    EXPECT_TRUE(square.sword_inside);
    EXPECT_EQ(square.to_world(square.points.back()), Vector2(0.5, 0.5));
    EXPECT_EQ(square.last_sword_pos, square.points.back());
    EXPECT_FALSE(pieces[0].sword_inside);
    EXPECT_FALSE(pieces[1].sword_inside);
}

TEST(Split, SwordCuttingALoopOutStaysInsideTheRest)
{
    LogCapture log;
    StrokeDriver driver;
    driver.bodies.push_back(unit_square());
    driver.place_sword(Vector2(0.3, -0.5));
    for (Vector2 to : {Vector2(0.3, 0.8), Vector2(0.7, 0.8), Vector2(0.7, 0.4), Vector2(0.1, 0.4)})
        driver.move_to(to);

    ASSERT_EQ(driver.bodies.size(), 2u);
    const PhysicsPolygon& rest = driver.bodies[0];
    const PhysicsPolygon& loop = driver.bodies[1];
    EXPECT_NEAR(rest.mass, 84, 1e-9);
    EXPECT_NEAR(loop.mass, 16, 1e-9);
    EXPECT_TRUE(rest.sword_inside);
    EXPECT_FALSE(loop.sword_inside);
    EXPECT_EQ(rest.last_sword_pos, rest.points.back());
    EXPECT_NEAR(rest.to_world(rest.points.back()).x, 0.1, 1e-12);
    EXPECT_EQ(driver.sword.inside_count, 1);
}

TEST(Split, HoleAtTheFirstPointStaysInTheHalfAroundIt)
{
    LogCapture log;
    // A 4 x 4 square cut top to bottom at x = 2, with a triangular hole in
    // the right half that meets the cut's lower end, point 0. The hole's edge
    // comes first, then the cut, then the outline.
    PhysicsPolygon square = cut_body(
        {{2, 0}, {4, 0}, {4, 4}, {2, 4}, {0, 4}, {0, 0}, {2.5, 1}, {3.5, 1}},
        {{0, 6}, {0, 3}, {0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}, {3, 0}, {6, 7}, {7, 0}});
    std::vector<PhysicsPolygon> pieces;
    square.split_into_pieces(pieces);

    ASSERT_EQ(pieces.size(), 1u);
    EXPECT_DOUBLE_EQ(square.mass, 750);
    EXPECT_DOUBLE_EQ(pieces[0].mass, 800);
    for (const Vector2& p : square.points)
        EXPECT_GE(square.to_world(p).x, 2.0);
    EXPECT_FALSE(square.contains(square.to_local(Vector2(3, 0.8))));
    EXPECT_TRUE(square.contains(square.to_local(Vector2(3, 3))));
}

TEST(Split, SlitWalkedOnItsOwnStaysWithItsPiece)
{
    LogCapture log;
    // A triangle with a slit from corner 1 to the sword's tip at point 4. The
    // corner's own edge is the better turn there, so the slit is left over.
    PhysicsPolygon triangle = cut_body({{0, 0}, {4, 0}, {2, 2}, {3, 0.25}, {2, 0.5}},
                                       {{0, 1}, {1, 2}, {2, 0}, {1, 3}, {3, 1}, {3, 4}, {4, 3}});
    triangle.item.amount = 100;
    triangle.sword_inside = true;
    triangle.last_sword_pos = Vector2(2, 0.5);
    std::vector<PhysicsPolygon> pieces;
    triangle.split_into_pieces(pieces);
    EXPECT_TRUE(pieces.empty());
    EXPECT_EQ(triangle.edges.size(), 7u);
    EXPECT_DOUBLE_EQ(triangle.mass, 400);
    EXPECT_TRUE(triangle.sword_inside);
    EXPECT_EQ(triangle.last_sword_pos, triangle.points.back());
}

TEST(Split, SliverHoldingTheSwordTipStaysWithTheRest)
{
    LogCapture log;
    // The sword's tip, point 6, sits in the corner sliver cut off between
    // (1, 0.996) and (0.996, 1), which alone holds it. Dropped, it would take
    // the sword out of every body while the sword still counts it.
    PhysicsPolygon square = cut_body(
        {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0.996}, {0.996, 1}, {0.999, 0.999}},
        {{0, 1}, {1, 4}, {4, 2}, {2, 5}, {5, 3}, {3, 0}, {4, 5}, {5, 4}, {2, 6}, {6, 2}});
    square.sword_inside = true;
    square.last_sword_pos = Vector2(0.999, 0.999);
    std::vector<PhysicsPolygon> pieces;
    square.split_into_pieces(pieces);
    EXPECT_TRUE(pieces.empty());
    EXPECT_DOUBLE_EQ(square.mass, 100);
    EXPECT_TRUE(square.sword_inside);
    EXPECT_EQ(square.last_sword_pos, square.points.back());
}
