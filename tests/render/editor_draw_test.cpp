#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

#include "editor/edit_world.hpp"
#include "editor/polygon_edit_adaptor.hpp"
#include "render/gl.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/world.hpp"

namespace {

template <typename P>
P square(const std::string& style, Vector2 at, double half)
{
    P polygon;
    polygon.points = {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
    polygon.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    polygon.style_name = style;
    polygon.style.load_style(style);
    polygon.position = at;
    polygon.trace_loops(polygon.style);
    return polygon;
}

class EditorDraw : public GameFolderGlTest {
protected:
    // The brightest red, green and blue within two pixels of a point.
    static std::array<int, 3> brightest_near(double ux, double uy)
    {
        int px = 0, py = 0;
        to_pixel(ux, uy, px, py);
        std::array<int, 3> most{};
        for (int dy = -2; dy <= 2; ++dy)
            for (int dx = -2; dx <= 2; ++dx)
                for (int c = 0; c < 3; ++c)
                    most[c] = std::max(most[c], int(pixel(px + dx, py + dy) >> 8 * c & 0xFF));
        return most;
    }
};

}  // namespace

TEST_F(EditorDraw, SelectedPolygonWithItsMarksBoundsAndHelp)
{
    LogCapture log;
    auto level = std::make_unique<World>();
    level->bounds_min = Vector2(-1.2, -0.9), level->bounds_max = Vector2(1.2, 0.9);
    level->static_polygons.push_back(square<StaticPolygon>("wall", Vector2(0, -0.7), 0.15));
    level->physics_polygons.push_back(square<PhysicsPolygon>("wood", Vector2(-0.2, 0.1), 0.25));
    EditWorld editor(std::move(level));
    double dt = 0.02;
    // Select the body, then hover over its lower-right vertex.
    editor.world->edit_view_centre = Vector2(0.03, -0.13);
    editor.update(dt);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    ASSERT_TRUE(editor.handle_event(click, dt));
    editor.world->edit_view_centre = Vector2(0.0, -0.1);
    editor.update(dt);
    auto* adaptor = dynamic_cast<PolygonEditAdaptor*>(editor.edit_stack.back());
    ASSERT_NE(adaptor, nullptr);
    ASSERT_EQ(adaptor->selected_point, 1);
    editor.draw();

    // The bounds in their dim colour (0.5, 0.3, 0), as the level is not the
    // top: a smoothed line covers its brightest pixel only partly, so the hue
    // is what is checked, within a brightness band.
    const auto bounds = brightest_near(-1.2, 0.3);
    EXPECT_TRUE(bounds[0] > 90 && bounds[0] < 140 && bounds[2] < bounds[1]);
    EXPECT_NEAR(static_cast<double>(bounds[1]) / bounds[0], 0.6, 0.08);
    // White octagons on the hovered vertex and on the far one.
    for (const Vector2& corner : {Vector2(0.05, -0.15), Vector2(-0.45, 0.35)}) {
        const auto mark = brightest_near(corner.x, corner.y);
        EXPECT_GT(std::min({mark[0], mark[1], mark[2]}), 200) << corner.x;
    }
    // The help line along the bottom in its pale violet.
    bool help_drawn = false;
    for (double x = -1.3; x < -0.5 && !help_drawn; x += 0.01) {
        const auto text = brightest_near(x, -0.95);
        help_drawn = text[0] > 150 && text[2] > 150 && text[1] < text[0];
    }
    EXPECT_TRUE(help_drawn);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
