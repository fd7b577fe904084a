#include <functional>

#include "editor/point_edit_adaptor.hpp"
#include "editor/polygon_edit_adaptor.hpp"
#include "editor_fixture.hpp"
#include "support/shapes.hpp"

TEST(PointDrag, GridStepsSnappingAndRelease)
{
    LogCapture log;
    Vector2 target;
    Vector2 cursor(0.2611, 0);
    PointEditAdaptor drag(&target, &cursor);
    double dt = 0.02;
    bool top = true;
    BaseEditable* next = &drag;
    for (int i = 0; i < 7; ++i)
        EXPECT_TRUE(drag.handle_top_event(key_press(SDLK_g), dt, next));
    EXPECT_EQ(log.out(), "1\n2\n4\n8\n16\n32\n0\n");
    drag.edit_update(dt, top);
    EXPECT_EQ(target, cursor) << "no grid: the point is the cursor";

    grid = 8;
    for (const auto& [from, to] : std::initializer_list<std::pair<double, double>>{
             {0.26, 0.24}, {-0.26, -0.24}, {0.03, 0.0}, {0.36, 0.40}}) {
        for (int i = 0; i < 20; ++i) {
            cursor = Vector2(from, -from);
            drag.edit_update(dt, top);
            EXPECT_NEAR(target.x, to, 0.001) << from;
            EXPECT_NEAR(target.y, -to, 0.001) << from;
        }
    }
    grid = 0;

    EXPECT_FALSE(drag.handle_top_event(event_of(SDL_MOUSEBUTTONDOWN), dt, next));
    EXPECT_EQ(next, &drag);
    EXPECT_TRUE(drag.handle_top_event(event_of(SDL_MOUSEBUTTONUP), dt, next));
    EXPECT_EQ(next, nullptr);
}

// The polygon adaptor on its own, as the top of a stack.
class PolygonAdaptor : public EditorTest {
protected:
    void edit(Polygon& polygon) { adaptor = std::make_unique<PolygonEditAdaptor>(&polygon, &cursor); }
    void update()
    {
        bool top = true;
        adaptor->edit_update(dt_, top);
    }
    bool key(SDLKey sym)
    {
        BaseEditable* next = adaptor.get();
        return adaptor->handle_top_event(key_press(sym), dt_, next);
    }

    Vector2 cursor;
    std::unique_ptr<PolygonEditAdaptor> adaptor;
};

TEST_F(PolygonAdaptor, DeletingAPointRemovesItsEdgesAndRenumbers)
{
    auto wall = box<StaticPolygon>(0, 0, 1, 1);
    wall.edges.emplace(3, 1);
    wall.edges.emplace(1, 3);
    edit(wall);
    cursor = Vector2(1.05, 0.95);
    update();
    ASSERT_EQ(adaptor->selected_point, 2);
    std::vector<Vector2> kept = wall.points;
    kept.erase(kept.begin() + 2);

    EXPECT_FALSE(key(SDLK_d)) << "the key goes on down the stack";
    EXPECT_EQ(wall.points, kept);
    EXPECT_EQ(wall.edges, (std::multimap<int, int>{{0, 1}, {1, 2}, {2, 0}, {2, 1}}));
    EXPECT_EQ(adaptor->child, nullptr) << "no drag of the erased point";
}

TEST_F(PolygonAdaptor, PolygonsMustStayLoadable)
{
    // The level loader refuses these; the editor holds on to them until they are fixed.
    auto body = box<PhysicsPolygon>(0, 0, 1, 1);
    edit(body);
    update();
    EXPECT_FALSE(adaptor->insane) << adaptor->problem;
    EXPECT_NEAR(body.position.x, 0.5, 1e-12) << "the origin moved to the centroid";
    const std::pair<std::function<void(PhysicsPolygon&)>, const char*> faults[] = {
        {[](PhysicsPolygon& b) { b.edges.erase(b.edges.find(2)); }, "Edges do not close"},
        {[](PhysicsPolygon& b) { b.density = 0; }, "Density is not above zero."},
        {[](PhysicsPolygon& b) { b.points = {{0, 0}, {1e-12, 0}, {1e-12, 1e-12}, {0, 1e-12}}; }, "Too small to move."},
    };
    for (const auto& [fault, problem] : faults) {
        auto broken = box<PhysicsPolygon>(0, 0, 1, 1);
        fault(broken);
        edit(broken);
        update();
        EXPECT_EQ(adaptor->help_text(), std::string("Polygon fails sanity check: ") + problem);
    }
    // A wall without points could never be picked again, nor deleted: it
    // is checked again before leaving.
    auto wall = box<StaticPolygon>(0, 0, 1, 1);
    edit(wall);
    wall.points.resize(2);
    wall.edges = {{0, 1}, {1, 0}};
    EXPECT_FALSE(key(SDLK_ESCAPE));
    EXPECT_EQ(adaptor->problem, "A polygon needs three points.");
}
