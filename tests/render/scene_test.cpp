#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <numbers>

#include "geometry/goal_polygon.hpp"
#include "geometry/physics_polygon.hpp"
#include "geometry/static_polygon.hpp"
#include "geometry/sword.hpp"
#include "render/gl.hpp"
#include "render/gui_font.hpp"
#include "render/particles.hpp"
#include "render/sword_style.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"

namespace {

// Draws with the game's own pictures and fonts, as the build made them.
class GameScene : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        old_cwd = std::filesystem::current_path();
        std::filesystem::current_path(SLIVERMERE_GAME_DIR);
    }
    void TearDown() override { std::filesystem::current_path(old_cwd); }

    std::filesystem::path old_cwd;
};

template <typename P>
P shape(const std::string& style, std::vector<Vector2> points, Vector2 position, double angle = 0)
{
    P polygon;
    polygon.points = std::move(points);
    for (int i = 0; i < static_cast<int>(polygon.points.size()); ++i)
        polygon.edges.emplace(i, (i + 1) % static_cast<int>(polygon.points.size()));
    polygon.position = position;
    polygon.angle = angle;
    polygon.rotation = Rotation{std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)};
    polygon.style.load_style(style);
    polygon.trace_loops(polygon.style);
    return polygon;
}

std::vector<Vector2> box(double w, double h)
{
    return {{-w / 2, -h / 2}, {w / 2, -h / 2}, {w / 2, h / 2}, {-w / 2, h / 2}};
}

}  // namespace

TEST_F(GameScene, EveryStyleTheSwordAndTextDrawWithTheGamesArt)
{
    LogCapture log;
    draw_background();
    const std::uint32_t empty_sky = pixel_at_units(0, 0.9);

    std::vector<Polygon> scene;
    scene.push_back(shape<StaticPolygon>("wall", box(2.6, 0.2), Vector2(0, -0.85)));
    scene.push_back(shape<StaticPolygon>("lava", box(0.5, 0.1), Vector2(0.9, -0.7)));
    scene.push_back(shape<PhysicsPolygon>("stone", box(0.4, 0.4), Vector2(-0.9, -0.5), 0.3));
    scene.push_back(shape<PhysicsPolygon>("ice", box(0.35, 0.35), Vector2(-0.35, -0.55)));
    scene.push_back(shape<PhysicsPolygon>("metal", {{0, 0}, {0.5, 0}, {0.5, 0.15}, {0.15, 0.15}, {0.15, 0.45}, {0, 0.45}},
                                          Vector2(0.15, -0.75)));
    scene.push_back(shape<PhysicsPolygon>("glass", {{-0.2, -0.15}, {0.2, -0.15}, {0, 0.2}}, Vector2(0.85, -0.45)));
    // A wooden plank with a slit half way through it.
    Polygon plank = shape<PhysicsPolygon>("wood", {{-0.5, -0.1}, {0, -0.1}, {0.5, -0.1}, {0.5, 0.1}, {-0.5, 0.1}, {0, 0.02}},
                                          Vector2(-0.3, 0.15), -0.1);
    plank.edges.clear();
    plank.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}, {1, 5}, {5, 1}};
    plank.trace_loops(plank.style);
    scene.push_back(plank);
    for (const Polygon& p : scene)
        p.draw();

    GoalPolygon goal = shape<GoalPolygon>("goal", box(0.45, 0.45), Vector2(0.75, 0.3));
    goal.target.bits.emplace_back();
    goal.target.tag_position = Vector2(0.75, 0.3);
    goal.draw();

    Sword sword;
    sword.trail.clear();
    for (int i = 0; i < 12; ++i) {
        const double a = 0.2 * i;
        sword.trail.push_front(TrailEntry{Vector2(-1.1 + 0.08 * i, 0.55 + 0.12 * std::sin(a)), 0});
    }
    for (std::size_t i = 0; i < sword.trail.size(); ++i)
        sword.trail[i].age = 0.02 * static_cast<double>(i);
    sword.position = sword.trail.front().point + Vector2(0.05, 0.01);
    sword.direction = Vector2(0.98, 0.2) / Vector2(0.98, 0.2).length();
    draw_sword(sword.style, sword);

    ParticleManager particles;
    for (int i = 0; i < 8; ++i)
        particles.particles_of(default_particle_style)
            .push_back(Particle{0.65 + 0.03 * i, 0.2 + 0.02 * (i % 3), 0, 0, 0.5 + 0.1 * i});
    particles.draw_all();

    goal.target.draw_tag();
    glColor3d(1.0, 0.86, 0.55);
    GuiFont title("menu.txf");
    title.draw_text(Vector2(-title.text_width("Slivermere", 0.15) / 2, 0.75), "Slivermere", 0.15);

    save_screenshot(std::string(SLIVERMERE_GAME_DIR) + "/../game_scene.png");

    // The pictures really arrived: the title, the wall and the stone are not
    // the plain background any more.
    EXPECT_NE(pixel_at_units(0, -0.85), pixel_at_units(0, -0.99)) << "the wall is drawn";
    EXPECT_NE(pixel_at_units(-0.9, -0.5), empty_sky);
    EXPECT_GT(red_of(pixel_at_units(0, 0.8)) + red_of(pixel_at_units(-0.3, 0.8)) + red_of(pixel_at_units(0.3, 0.8)),
              3 * red_of(empty_sky));
    EXPECT_EQ(log.err().find("Didn't work."), std::string::npos) << log.err();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
