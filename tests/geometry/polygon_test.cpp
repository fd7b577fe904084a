#include <gtest/gtest.h>

#include <cmath>

#include "geometry/sword.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"
#include "support/shapes.hpp"

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

// A stored sword with the given style name and trail count, and one trail
// entry after it.
std::vector<unsigned char> sword_record(const std::string& style_name, unsigned int trail_count)
{
    MemoryStorage storage;
    storage.write(style_name), storage.write(Vector2(1, 2)), storage.write(Vector2(3, 4));
    storage.write(Vector2(0, 1)), storage.write(0.5), storage.write(2), storage.write(true), storage.write(0.25);
    storage.write(trail_count), storage.write(Vector2(1, 2)), storage.write(0.125);
    return storage.bytes();
}

}  // namespace

TEST(PolygonGeometry, InsideAreaCentroidAndLoops)
{
    struct Case {
        const char* name;
        Polygon polygon;
        std::vector<Vector2> inside, outside;
        double area;
        double centroid;  // on both axes
        Loops loops;
    };
    Case cases[] = {
        {"L", make_polygon({{0, 0}, {2, 0}, {2, 1}, {1, 1}, {1, 2}, {0, 2}}, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}}),
         {{1.5, 0.5}, {0.5, 1.5}}, {{1.5, 1.5}, {2.5, 0.5}}, 3.0, 5.0 / 6.0, {{0, 1, 2, 3, 4, 5}}},
        // (16 * 2 - 1 * 1.5) / 15.
        {"holed", holed_square(), {{0.5, 0.5}, {3, 3}}, {{1.5, 1.5}, {5, 1}}, 15.0, 61.0 / 30.0, {{0, 1, 2, 3}, {4, 5, 6, 7}}},
        {"figure eight", figure_eight(), {{0.5, 0.5}, {1.5, 1.5}}, {{1.5, 0.5}, {0.5, 1.5}}, 2.0, 1.0,
         {{0, 1, 2, 3}, {2, 4, 5, 6}}},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const Vector2& p : c.inside)
            EXPECT_TRUE(c.polygon.contains(p)) << p.x << "," << p.y;
        for (const Vector2& p : c.outside)
            EXPECT_FALSE(c.polygon.contains(p)) << p.x << "," << p.y;
        EXPECT_DOUBLE_EQ(c.polygon.signed_area(), c.area);
        EXPECT_DOUBLE_EQ(c.polygon.centroid().x, c.centroid);
        EXPECT_DOUBLE_EQ(c.polygon.centroid().y, c.centroid);
        EXPECT_EQ(traced(c.polygon), c.loops);
    }

    LogCapture log;
    Polygon slit = make_polygon({{1, 0}, {3, 0}}, {{0, 1}, {1, 0}});
    EXPECT_EQ(slit.centroid(), Vector2(1, 0)) << "no area: the first point";
    EXPECT_TRUE(traced(slit).empty());
}

TEST(PolygonGeometry, ContainsCountsEachCrossingOnce)
{
    // The lower end of every edge counts: one edge at x = 0 and a far point
    // that only widens the box, either way round.
    for (const Polygon::Edge& edge : {Polygon::Edge(0, 1), Polygon::Edge(1, 0)}) {
        Polygon one = make_polygon({{0, 0}, {0, 2}, {4, 1}}, {edge});
        EXPECT_TRUE(one.contains(Vector2(1, 0)));
        EXPECT_FALSE(one.contains(Vector2(1, 2)));
    }

    // A vertex level with the point, to its left, where two edges meet: both
    // or neither must count, never one.
    Polygon bottom = make_polygon({{0, 0}, {2, 1}, {-2, 1}}, {{0, 1}, {1, 2}, {2, 0}});
    EXPECT_FALSE(bottom.contains(Vector2(1, 0)));
    EXPECT_TRUE(bottom.contains(Vector2(0, 0.5)));
    Polygon top = make_polygon({{-2, 0}, {2, 0}, {0, 1}}, {{0, 1}, {1, 2}, {2, 0}});
    EXPECT_FALSE(top.contains(Vector2(1, 1)));
    EXPECT_TRUE(top.contains(Vector2(0, 0.5)));
}

// The sword enters a body at the nearest point of its outline, never of a slit.
TEST(PolygonGeometry, TheNearestBoundaryPointIsNeverOnASlit)
{
    // Square with a slit from (0.5,1) to (1.5,1).
    Polygon s = square();
    s.points.insert(s.points.end(), {{0.5, 1}, {1.5, 1}});
    s.edges.insert({{4, 5}, {5, 4}});
    Polygon::Edge edge;
    Vector2 point;
    ASSERT_TRUE(s.closest_boundary_point(Vector2(1, 1.1), edge, point));
    EXPECT_EQ(edge, Polygon::Edge(2, 3));
    EXPECT_EQ(point, Vector2(1, 2));
    EXPECT_EQ(s.closest_edge_point(Vector2(1, 1.1)), Vector2(1, 1)) << "the slit is the nearest edge";
}

TEST(PolygonSanity, FirstFailingTestDecides)
{
    std::string message;
    Vector2 where(9, 9);
    EXPECT_TRUE(square().sanity_check(message, where));
    EXPECT_TRUE(holed_square().sanity_check(message, where));

    Polygon loose = square();
    loose.points.push_back(Vector2(5, 5));
    Polygon dangling = square();
    dangling.edges.insert({0, 7});
    const struct {
        Polygon polygon;
        const char* message;
        Vector2 where;
    } cases[] = {
        {loose, "Unused point", {5, 5}},
        {dangling, "Edges to invalid points", {0, 0}},
        {make_polygon({{0, 0}, {2, 2}, {2, 0}, {0, 2}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}), "Edges intersecting", {1, 1}},
        {make_polygon({{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {{0, 3}, {3, 2}, {2, 1}, {1, 0}}), "Mass is less than zero.", {0, 0}},
        {make_polygon({{0, 0}, {0.1, 0}, {0.1, 0.1}, {0, 0.1}}, {{0, 3}, {3, 2}, {2, 1}, {1, 0}}), "Mass is less than zero.", {0, 0}},
    };
    for (const auto& c : cases) {
        where = Vector2(9, 9);
        EXPECT_FALSE(c.polygon.sanity_check(message, where));
        EXPECT_EQ(message, c.message);
        EXPECT_NEAR(where.x, c.where.x, 1e-12) << c.message;
        EXPECT_NEAR(where.y, c.where.y, 1e-12) << c.message;
    }
}

// The whole record's round trip is checked with the level text.
TEST(PolygonStorage, ImpossibleCountsEdgesRotationsAndDragsAreRefusedWithTheirReason)
{
    LogCapture log;
    // The inside point count is stored only while the sword is inside, and no
    // points load as one at the origin.
    Polygon outside = square();
    Polygon inside = outside;
    inside.sword_inside = true;
    EXPECT_EQ(saved_bytes(inside).size(), saved_bytes(outside).size() + 4);
    Polygon loaded;
    ASSERT_TRUE(load_bytes(loaded, saved_bytes(Polygon())));
    EXPECT_EQ(loaded.points, std::vector<Vector2>{Vector2(0, 0)});

    MemoryStorage huge;
    huge.write(std::string()), huge.write(Vector2()), huge.write(false), huge.write(false), huge.write(0xFFFFFFF0u);
    huge.write(Vector2(1, 1));
    Polygon polygon;
    EXPECT_FALSE(polygon.load(huge));
    EXPECT_TRUE(polygon.points.empty());

    const struct {
        void (*damage)(Polygon&);
        const char* reason;  // empty: it loads
    } cases[] = {
        {[](Polygon& p) { p.edges.insert({-1, 0}); }, "an edge names a point that does not exist"},
        {[](Polygon& p) { p.edges.insert({4, 5}); }, "an edge is listed twice"},
        {[](Polygon& p) { p.rotation = {1, 0, 0.5, 1}; }, "rotation is not a rotation"},  // sheared
        {[](Polygon& p) { p.rotation = {2, 0, 0, 2}; }, "rotation is not a rotation"},    // scaled
        {[](Polygon& p) { p.rotation = {1, 0, 0, -1}; }, "rotation is not a rotation"},   // mirrored
        {[](Polygon& p) { p.rotation = {1e300, 0, 0, 1}; }, "rotation is out of range"},
        {[](Polygon& p) { p.cut_drag = -1; }, "cut drag is negative"},
        {[](Polygon& p) { p.cut_drag = INFINITY; }, "cut drag is out of range"},
        {[](Polygon& p) { p.points[0].x = NAN; }, "a point is out of range"},
        {[](Polygon& p) { p.cut_drag = 0; }, ""},
        {[](Polygon& p) { p.rotation = {std::cos(1e6), std::sin(1e6), -std::sin(1e6), std::cos(1e6)}; }, ""},
    };
    for (const auto& test : cases) {
        Polygon damaged = holed_square();
        test.damage(damaged);
        MemoryStorage storage;
        damaged.save(storage);
        EXPECT_EQ(polygon.load(storage), *test.reason == '\0') << test.reason;
        EXPECT_EQ(storage.refusal(), test.reason);
    }
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

// The whole record's round trip and every truncation are checked with the
// shipped levels; here, what no sword can hold.
TEST(SwordStorage, DamagedRecordsAreRefusedAndLeaveTheSword)
{
    LogCapture log;
    Sword sword;
    EXPECT_TRUE(load_bytes(sword, sword_record("", 1)));
    EXPECT_EQ(sword.position, Vector2(1, 2));
    sword = Sword();
    for (const auto& [style, count] : {std::pair{"wood", 1u}, std::pair{"", 0x7fffffffu}, std::pair{"", 2u},
                                       std::pair{"", 0u}})
        EXPECT_FALSE(load_bytes(sword, sword_record(style, count))) << style << " " << count;
    EXPECT_EQ(saved_bytes(sword), saved_bytes(Sword()));
}
