#include <gtest/gtest.h>

#include "geometry/polygon.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"

namespace {

using Loops = std::vector<std::vector<int>>;

Polygon make_polygon(std::vector<Vector2> points, std::vector<Polygon::Edge> edges)
{
    Polygon polygon;
    polygon.points = std::move(points);
    for (const Polygon::Edge& edge : edges)
        polygon.edges.insert(edge);
    return polygon;
}

// 0 (0,0), 1 (2,0), 2 (2,2), 3 (0,2), counter-clockwise.
Polygon square() { return make_polygon({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}); }

Polygon l_shape()
{
    return make_polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}},
                        {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}});
}

// 4x4 square with the unit hole [1,2]x[1,2], the hole running clockwise.
Polygon holed_square()
{
    return make_polygon({{0, 0}, {4, 0}, {4, 4}, {0, 4}, {1, 1}, {1, 2}, {2, 2}, {2, 1}},
                        {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}});
}

// Two unit squares touching at point 2.
Polygon figure_eight()
{
    return make_polygon({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {2, 1}, {2, 2}, {1, 2}},
                        {{0, 1}, {1, 2}, {2, 4}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 2}});
}

Loops traced(const Polygon& polygon)
{
    PolygonStyle style;
    polygon.trace_loops(style);
    return style.loops;
}

std::vector<unsigned char> saved(const Polygon& polygon)
{
    MemoryStorage storage;
    polygon.save(storage);
    return storage.bytes();
}

bool load_bytes(Polygon& polygon, const std::vector<unsigned char>& bytes)
{
    MemoryStorage storage;
    if (!bytes.empty())
        storage.write_raw(bytes.data(), bytes.size());
    return polygon.load(storage);
}

}  // namespace

TEST(PolygonGeometry, DoubledPairOnlyHasNoAreaNoInsideNoOutline)
{
    Polygon slit = make_polygon({{1, 0}, {3, 0}}, {{0, 1}, {1, 0}});
    LogCapture log;
    EXPECT_EQ(slit.centroid(), Vector2(1, 0));
    EXPECT_EQ(log.out(), "Mass Zero!\n");
    EXPECT_FALSE(slit.contains(Vector2(2, 0)));
    EXPECT_TRUE(traced(slit).empty());
}

TEST(PolygonGeometry, ContainsCountsTheLowerEndOfEveryEdge)
{
    // One edge at x = 0 and a far point that only widens the box.
    Polygon up = make_polygon({{0, 0}, {0, 2}, {4, 1}}, {{0, 1}});
    EXPECT_TRUE(up.contains(Vector2(1, 0)));
    EXPECT_FALSE(up.contains(Vector2(1, 2)));
    Polygon down = make_polygon({{0, 0}, {0, 2}, {4, 1}}, {{1, 0}});
    EXPECT_TRUE(down.contains(Vector2(1, 0)));
    EXPECT_FALSE(down.contains(Vector2(1, 2)));

    Polygon s = square();
    EXPECT_TRUE(s.contains(Vector2(1, 0)));
    EXPECT_FALSE(s.contains(Vector2(1, 2)));
    EXPECT_TRUE(s.bbox_valid);
}

TEST(PolygonGeometry, ContainsIsRightLevelWithATopOrBottomVertex)
{
    // A vertex at the height of the point, to its left, where two edges meet:
    // both or neither must count, never one.
    Polygon bottom = make_polygon({{0, 0}, {2, 1}, {-2, 1}}, {{0, 1}, {1, 2}, {2, 0}});
    EXPECT_FALSE(bottom.contains(Vector2(1, 0)));
    EXPECT_TRUE(bottom.contains(Vector2(0, 0.5)));
    Polygon top = make_polygon({{-2, 0}, {2, 0}, {0, 1}}, {{0, 1}, {1, 2}, {2, 0}});
    EXPECT_FALSE(top.contains(Vector2(1, 1)));
    EXPECT_TRUE(top.contains(Vector2(0, 0.5)));
}

TEST(PolygonGeometry, LShape)
{
    Polygon l = l_shape();
    EXPECT_TRUE(l.contains(Vector2(1.5, 0.5)));
    EXPECT_TRUE(l.contains(Vector2(0.5, 1.5)));
    EXPECT_FALSE(l.contains(Vector2(1.5, 1.5)));
    EXPECT_FALSE(l.contains(Vector2(2.5, 0.5)));
    EXPECT_DOUBLE_EQ(l.signed_area(), 3.0);
    EXPECT_DOUBLE_EQ(l.centroid().x, 5.0 / 6.0);
    EXPECT_DOUBLE_EQ(l.centroid().y, 5.0 / 6.0);
    EXPECT_EQ(traced(l), (Loops{{0, 1, 2, 3, 4, 5}}));
}

TEST(PolygonGeometry, SquareWithHole)
{
    Polygon h = holed_square();
    EXPECT_TRUE(h.contains(Vector2(0.5, 0.5)));
    EXPECT_TRUE(h.contains(Vector2(3, 3)));
    EXPECT_FALSE(h.contains(Vector2(1.5, 1.5)));
    EXPECT_FALSE(h.contains(Vector2(5, 1)));
    EXPECT_DOUBLE_EQ(h.signed_area(), 15.0);
    // (16 * 2 - 1 * 1.5) / 15 on both axes.
    EXPECT_DOUBLE_EQ(h.centroid().x, 61.0 / 30.0);
    EXPECT_DOUBLE_EQ(h.centroid().y, 61.0 / 30.0);
    EXPECT_EQ(traced(h), (Loops{{0, 1, 2, 3}, {4, 5, 6, 7}}));
}

TEST(PolygonGeometry, BoundingBoxCentreInTheWorld)
{
    Polygon s = square();
    s.rotation = {0, 1, -1, 0};  // a quarter turn
    s.position = Vector2(5, 0);
    EXPECT_EQ(s.world_bbox_centre(), Vector2(4, 1));
    EXPECT_EQ(s.bbox_min, Vector2(0, 0));
    EXPECT_EQ(s.bbox_max, Vector2(2, 2));
    EXPECT_EQ(Polygon().world_bbox_centre(), Vector2(0, 0));
}

TEST(PolygonGeometry, ShiftOriginKeepsTheWorldShape)
{
    Polygon s = square();
    s.rotation = {0.6, 0.8, -0.8, 0.6};
    s.position = Vector2(3, -1);
    Polygon shifted = s;
    shifted.shift_origin(Vector2(1, 0.5));
    EXPECT_EQ(shifted.points[0], Vector2(-1, -0.5));
    for (std::size_t i = 0; i < s.points.size(); ++i) {
        EXPECT_NEAR(shifted.to_world(shifted.points[i]).x, s.to_world(s.points[i]).x, 1e-12);
        EXPECT_NEAR(shifted.to_world(shifted.points[i]).y, s.to_world(s.points[i]).y, 1e-12);
        EXPECT_NEAR(s.to_local(s.to_world(s.points[i])).x, s.points[i].x, 1e-12);
        EXPECT_NEAR(s.to_local(s.to_world(s.points[i])).y, s.points[i].y, 1e-12);
    }
}

TEST(PolygonGeometry, NearestPoints)
{
    // Square with a slit from (0.5,1) to (1.5,1).
    Polygon s = square();
    s.points.insert(s.points.end(), {{0.5, 1}, {1.5, 1}});
    s.edges.insert({{4, 5}, {5, 4}});
    Polygon::Edge edge;
    Vector2 point;
    s.closest_boundary_point(Vector2(1, 1.1), edge, point);
    EXPECT_EQ(edge, Polygon::Edge(2, 3));
    EXPECT_EQ(point, Vector2(1, 2));
    EXPECT_EQ(s.closest_edge_point(Vector2(1, 1.1)), Vector2(1, 1));

    // Equally near to all four sides: the first edge wins.
    square().closest_boundary_point(Vector2(1, 1), edge, point);
    EXPECT_EQ(edge, Polygon::Edge(0, 1));
    EXPECT_EQ(point, Vector2(1, 0));

    Polygon bare = make_polygon({{1, 1}}, {});
    bare.position = Vector2(3, 4);
    EXPECT_EQ(bare.closest_edge_point(Vector2(0, 0)), Vector2(3, 4));
}

TEST(PolygonLoops, TouchingSquaresSplitAtTheSharedPoint)
{
    EXPECT_EQ(traced(figure_eight()), (Loops{{0, 1, 2, 3}, {2, 4, 5, 6}}));
}

TEST(PolygonLoops, MostRightScoring)
{
    // Arriving at 1 along +x from 0.
    std::vector<Vector2> points{{0, 0}, {1, 0}, {1, 1}, {0, 1}, {1, -1}, {2, 0}};
    std::multimap<int, int> candidates{{1, 2}, {1, 3}};
    EXPECT_EQ(most_right_successor(points, candidates, 0, 1)->second, 3);  // sharp left beats square left
    candidates = {{1, 4}, {1, 0}};
    EXPECT_EQ(most_right_successor(points, candidates, 0, 1)->second, 4);  // going back scores lowest
    candidates = {{1, 5}, {1, 5}};
    EXPECT_EQ(most_right_successor(points, candidates, 0, 1), candidates.begin());
    candidates = {{2, 3}};
    EXPECT_EQ(most_right_successor(points, candidates, 0, 1), candidates.end());
}

TEST(PolygonLoops, OpenChainStopsWithoutSuccessor)
{
    LogCapture log;
    EXPECT_EQ(traced(make_polygon({{0, 0}, {1, 0}, {1, 1}}, {{0, 1}, {1, 2}})), (Loops{{0, 1}}));
    EXPECT_EQ(log.out(), "Failed to find sucessor\n");
}

TEST(PolygonSanity, FirstFailingTestDecides)
{
    std::string message;
    Vector2 where(9, 9);
    EXPECT_TRUE(square().sanity_check(message, where));
    EXPECT_TRUE(holed_square().sanity_check(message, where));

    Polygon loose = square();
    loose.points.push_back(Vector2(5, 5));
    EXPECT_FALSE(loose.sanity_check(message, where));
    EXPECT_EQ(message, "Unused point");
    EXPECT_EQ(where, Vector2(5, 5));

    Polygon dangling = square();
    dangling.edges.insert({0, 7});
    where = Vector2(9, 9);
    EXPECT_FALSE(dangling.sanity_check(message, where));
    EXPECT_EQ(message, "Edges to invalid points");
    EXPECT_EQ(where, Vector2(0, 0));

    Polygon bow_tie = make_polygon({{0, 0}, {2, 2}, {2, 0}, {0, 2}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
    EXPECT_FALSE(bow_tie.sanity_check(message, where));
    EXPECT_EQ(message, "Edges intersecting");
    EXPECT_NEAR(where.x, 1.0, 1e-12);
    EXPECT_NEAR(where.y, 1.0, 1e-12);

    Polygon clockwise = make_polygon({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{0, 3}, {3, 2}, {2, 1}, {1, 0}});
    where = Vector2(9, 9);
    EXPECT_FALSE(clockwise.sanity_check(message, where));
    EXPECT_EQ(message, "Mass is less than zero.");
    EXPECT_EQ(where, Vector2(0, 0));
}

TEST(PolygonStorage, RoundTripIsByteForByte)
{
    Polygon original = figure_eight();
    original.style_name = "wood";
    original.last_sword_pos = Vector2(0.25, -1.5);
    original.sword_inside = true;
    original.inside_point_count = 3;
    original.cut_pending = true;
    original.compute_bbox();
    original.rotation = {0.6, 0.8, -0.8, 0.6};
    original.angle = 0.927295218;
    original.position = Vector2(10, 20);
    original.texture_offset = Vector2(-0.5, 0.125);
    original.cut_drag = 0.5;

    LogCapture log;
    Polygon copy;
    ASSERT_TRUE(load_bytes(copy, saved(original)));
    EXPECT_EQ(saved(copy), saved(original));
    EXPECT_EQ(copy.style.name, "wood");
    EXPECT_FALSE(copy.bbox_valid);
    EXPECT_EQ(copy.inside_point_count, 3);
    EXPECT_EQ(copy.style.loops, (Loops{{0, 1, 2, 3}, {2, 4, 5, 6}}));
}

TEST(PolygonStorage, InsidePointCountIsStoredOnlyWhileInside)
{
    Polygon inside = square();
    inside.inside_point_count = 5;
    Polygon outside = inside;
    inside.sword_inside = true;
    EXPECT_EQ(saved(inside).size(), saved(outside).size() + 4);

    LogCapture log;
    Polygon loaded;
    loaded.inside_point_count = 7;
    ASSERT_TRUE(load_bytes(loaded, saved(outside)));
    EXPECT_EQ(loaded.inside_point_count, 0);
}

TEST(PolygonStorage, ZeroPointsLoadAsOnePointAtTheOrigin)
{
    LogCapture log;
    Polygon loaded;
    ASSERT_TRUE(load_bytes(loaded, saved(Polygon())));
    EXPECT_EQ(loaded.points, std::vector<Vector2>{Vector2(0, 0)});
    EXPECT_TRUE(loaded.edges.empty());
}

TEST(PolygonStorage, DamagedRecordsAreRefused)
{
    LogCapture log;
    Polygon original = holed_square();
    original.sword_inside = true;
    std::vector<unsigned char> bytes = saved(original);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        Polygon polygon;
        EXPECT_FALSE(load_bytes(polygon, {bytes.begin(), bytes.begin() + cut})) << "cut at " << cut;
    }

    MemoryStorage huge;
    huge.write(std::string());
    huge.write(Vector2());
    huge.write(false);
    huge.write(false);
    huge.write(0xFFFFFFF0u);
    huge.write(Vector2(1, 1));
    Polygon polygon;
    EXPECT_FALSE(polygon.load(huge));
    EXPECT_TRUE(polygon.points.empty());

    for (Polygon::Edge bad : {Polygon::Edge(0, 8), Polygon::Edge(-1, 0)}) {
        Polygon broken = holed_square();
        broken.edges.insert(bad);
        EXPECT_FALSE(load_bytes(polygon, saved(broken)));
    }
}
