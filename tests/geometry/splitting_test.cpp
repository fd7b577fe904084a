#include <gtest/gtest.h>

#include <optional>

#include "geometry/physics_polygon.hpp"
#include "geometry/stroke_driver.hpp"
#include "support/log_capture.hpp"

// How the halves of a plain cut move and weigh shapes every shipped level's
// game and so its state hash; here, the cuts that are not plain.
TEST(Split, CornerSliversAreDroppedAtOnce)
{
    LogCapture log;
    // Corner triangles of legs s: area s^2 / 2, amount the same share of 1.
    for (const auto& [s, bodies] : {std::pair{0.004, 1u}, std::pair{0.012, 1u}, std::pair{0.02, 2u}}) {
        SCOPED_TRACE(s);
        StrokeDriver driver;
        driver.bodies.push_back(unit_square());
        driver.stroke(Vector2(1.1, 0.9 - s), Vector2(0.9 - s, 1.1));
        ASSERT_EQ(driver.bodies.size(), bodies);
        EXPECT_NEAR(driver.bodies[0].mass, 100 - 100 * s * s / 2, 1e-9);
        EXPECT_TRUE(driver.dropped.empty()) << "the split itself removes them";
    }
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
    EXPECT_NEAR(rest.mass, 84, 1e-9);
    EXPECT_NEAR(driver.bodies[1].mass, 16, 1e-9);
    EXPECT_TRUE(rest.sword_inside);
    EXPECT_FALSE(driver.bodies[1].sword_inside);
    EXPECT_EQ(rest.last_sword_pos, rest.points.back());
    EXPECT_NEAR(rest.to_world(rest.points.back()).x, 0.1, 1e-12);
    EXPECT_EQ(driver.sword.inside_count, 1);
}

// Edge sets as a cut leaves them, split directly: the body keeps the piece
// with point 0, the sword stays in exactly one piece, the item is shared by
// mass and edges that cannot close are wasted, not walked.
TEST(Split, OddEdgeSetsSplitIntoClosedPieces)
{
    struct Case {
        const char* name;
        std::vector<Vector2> points;
        std::multimap<int, int> edges;
        std::optional<Vector2> sword_tip;
        std::size_t pieces;
        double mass;              // of what the body keeps
        std::size_t edges_kept;   // 0: not checked
        double first_piece_mass;  // 0: not checked
    };
    const Case cases[] = {
        // Loops at the front and at the left corner, where one would be the most right turn.
        {"loops", {{0, -1}, {1, 0}, {0, 1}, {-1, 0}}, {{0, 0}, {0, 1}, {1, 2}, {2, 3}, {3, 3}, {3, 0}}, {}, 0, 200, 4, 0},
        {"open path, then a triangle", {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {5, 0}, {6, 0}, {5, 1}},
         {{0, 1}, {1, 2}, {2, 3}, {4, 5}, {5, 6}, {6, 4}}, {}, 0, 50, 3, 0},
        {"path ending in a loop, then a triangle", {{0, 0}, {1, 0}, {1, 1}, {5, 0}, {6, 0}, {5, 1}},
         {{0, 1}, {1, 2}, {2, 2}, {3, 4}, {4, 5}, {5, 3}}, {}, 0, 50, 3, 0},
        // Cut top to bottom, the sword just across from the left edge: its tip
        // (0.5, 0.5) is a corner of all three pieces.
        {"tip shared by three pieces", {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0.5, 0}, {0.5, 1}, {0, 0.5}, {0.5, 0.5}},
         {{0, 4}, {4, 1}, {1, 2}, {2, 5}, {5, 3}, {3, 6}, {6, 0}, {4, 7}, {7, 4}, {7, 5}, {5, 7}, {6, 7}, {7, 6}},
         Vector2(0.5, 0.5), 2, 25, 0, 0},
        // A triangular hole in the right half meets the cut's lower end, point 0.
        {"hole at point 0", {{2, 0}, {4, 0}, {4, 4}, {2, 4}, {0, 4}, {0, 0}, {2.5, 1}, {3.5, 1}},
         {{0, 6}, {0, 3}, {0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}, {3, 0}, {6, 7}, {7, 0}}, {}, 1, 750, 0, 800},
        // A slit from corner 1 to the tip: the corner's own edge is the better turn.
        {"slit left over", {{0, 0}, {4, 0}, {2, 2}, {3, 0.25}, {2, 0.5}},
         {{0, 1}, {1, 2}, {2, 0}, {1, 3}, {3, 1}, {3, 4}, {4, 3}}, Vector2(2, 0.5), 0, 400, 7, 0},
        // The tip alone in the corner sliver: dropped, it would take the sword
        // out of every body while the sword still counts it.
        {"sliver with the tip", {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, 0.996}, {0.996, 1}, {0.999, 0.999}},
         {{0, 1}, {1, 4}, {4, 2}, {2, 5}, {5, 3}, {3, 0}, {4, 5}, {5, 4}, {2, 6}, {6, 2}}, Vector2(0.999, 0.999), 0, 100,
         0, 0},
    };
    LogCapture log;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PhysicsPolygon body;
        body.points = c.points, body.edges = c.edges, body.mass = body.density * body.signed_area();
        body.cut_pending = true, body.sword_inside = c.sword_tip.has_value();
        body.last_sword_pos = c.sword_tip.value_or(Vector2());
        const double old_mass = body.mass;
        std::vector<PhysicsPolygon> pieces;
        body.split_into_pieces(pieces);

        ASSERT_EQ(pieces.size(), c.pieces);
        EXPECT_DOUBLE_EQ(body.mass, c.mass);
        EXPECT_NEAR(body.item.amount, c.mass / old_mass, 1e-12);
        if (c.edges_kept) {
            EXPECT_EQ(body.edges.size(), c.edges_kept);
        }
        for (const auto& [start, end] : body.edges)
            EXPECT_NE(start, end);
        if (c.first_piece_mass) {
            EXPECT_DOUBLE_EQ(pieces[0].mass, c.first_piece_mass);
        }
        EXPECT_EQ(body.sword_inside, c.sword_tip.has_value());
        if (c.sword_tip) {
            EXPECT_EQ(body.last_sword_pos, body.points.back());
        }
        for (const PhysicsPolygon& piece : pieces)
            EXPECT_FALSE(piece.sword_inside);
    }
}
