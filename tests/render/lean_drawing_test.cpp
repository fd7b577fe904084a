#include <cmath>
#include <cstdlib>
#include <functional>

#include "editor/edit_world.hpp"
#include "menu/screens.hpp"
#include "render/frame.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/polygon_drawing.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/level_picture.hpp"
#include "world/level_text.hpp"
#include "world/runner.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

// What lean drawing may change: the pixels along a shape's edge or a glyph's
// where coordinates round the other way, and the bands' shading by a step or
// two where one mipmap level is read instead of a blend of two. At most 0.1%
// of the screen may differ by more than 24 in a channel, and the whole screen
// by at most 0.25 on average.
class LeanDrawing : public GameFolderGlTest {
protected:
    void TearDown() override
    {
        set_lean_drawing(false);
        delete current_world;
        current_world = nullptr;
    }
    // The same frame drawn the plain way and the lean way.
    static void expect_alike(const std::string& scene, const std::function<void()>& draw)
    {
        std::vector<std::uint8_t> frames[2];
        for (const bool lean : {false, true}) {
            set_lean_drawing(lean);
            // Lean, the third frame of a still scene shows the walls from
            // the copy the second one kept; by the twenty-fourth its moving
            // bodies are laid from their pictures, made one a frame from the
            // twentieth.
            for (int frame = 0; frame < (lean ? 24 : 1); ++frame) {
                begin_frame();
                draw();
            }
            int width = 0, height = 0;
            frames[lean] = read_rgba(width, height);
        }
        set_lean_drawing(false);
        std::size_t differing = 0;
        double total = 0;
        for (std::size_t i = 0; i + 3 < frames[0].size(); i += 4) {
            int largest = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const int step = std::abs(frames[0][i + c] - frames[1][i + c]);
                largest = std::max(largest, step);
                total += step;
            }
            differing += largest > 24;
        }
        const double pixels = static_cast<double>(frames[0].size() / 4);
        EXPECT_LE(static_cast<double>(differing) / pixels, 0.001) << scene;
        EXPECT_LE(total / (3 * pixels), 0.25) << scene;
    }
    // The shapes file, one step in.
    static bool build_shapes(World& shapes, std::string& error)
    {
        if (!build_level(read_text(source_root / "tests/data/levels/lean_shapes.txt"), shapes, error))
            return false;
        double dt = 0.016;
        shapes.update(dt);
        return true;
    }
    LogCapture log_;
};

}  // namespace

// The shapes file holds shapes that must not take the convex shortcut (an L,
// a star that turns one way but goes round twice, a point doubled) beside
// ones that may, a wall thinner than its light band and a goal.
TEST_F(LeanDrawing, ShapesEveryShippedLevelTheEditorAndPicturesLookTheSame)
{
    World shapes;
    std::string error;
    ASSERT_TRUE(build_shapes(shapes, error)) << error;
    double dt = 0.016;
    shapes.goals.front().fade = 0.5;
    expect_alike("shapes", [&] { shapes.draw(); });

    std::string fullest;
    for (const std::string& name : listed_level_files(".")) {
        std::string reason;
        std::unique_ptr<World> level = load_level_quietly(name, reason);
        ASSERT_TRUE(level) << reason;
        // Swept for a while, so that pieces are cut and sparks fly.
        for (int i = 0; i < 120; ++i) {
            double step = 0.016;
            level->handle_event(sweep_event(*level, i), step);
            level->update(step);
        }
        expect_alike(name, [&] { level->draw(); });
        fullest = name;
    }

    // A picture may be drawn at any scale, so it is drawn the plain way
    // whatever the renderer: the same bytes with lean drawing on or off.
    LevelPicture pictures[2];
    std::unique_ptr<World> level = load_level_quietly(fullest, error);
    ASSERT_TRUE(level) << error;
    for (const bool lean : {false, true}) {
        set_lean_drawing(lean);
        ASSERT_TRUE(draw_level_picture(*level, 300, pictures[lean], error)) << error;
    }
    EXPECT_TRUE(pictures[0].rgba == pictures[1].rgba);

    current_world = open_editor(fullest).release();
    ASSERT_TRUE(current_world);
    current_world->update(dt);
    expect_alike("editor", [] { current_world->draw(); });

    // Letters of every size and icons, over the demo as it cuts.
    delete current_world;
    current_world = nullptr;
    build_opening_menu(false);
    for (int i = 0; i < 160 && current_world; ++i)
        current_world->update(dt);
    ASSERT_TRUE(current_world);
    expect_alike("opening menu", [] { current_world->draw(); });
}

// A moving body is laid from a picture of itself, kept while it stays the
// same in its own coordinates: moved by a fraction of a pixel or turned a
// little it looks as drawn; turned far (the light band follows the turn) or
// cut it gets a picture of its own. So are the walls while the camera pans,
// and the bands of a sliding picture that moves.
TEST_F(LeanDrawing, MovingBodiesAndPannedWallsLaidFromPicturesLookAsDrawn)
{
    World shapes;
    std::string error;
    ASSERT_TRUE(build_shapes(shapes, error)) << error;
    const auto draw = [&] { shapes.draw(); };
    const std::uint64_t before = body_pictures_made();
    expect_alike("bodies", draw);
    // The square; the star is counted, the lava slides, the L is more than
    // a picture may hold.
    const std::uint64_t made = body_pictures_made();
    EXPECT_EQ(made, before + 1);

    PhysicsPolygon& body = shapes.physics_polygons[2];
    const auto turn = [&body](double angle) {
        body.angle = angle;
        body.rotation = {std::cos(angle), std::sin(angle), -std::sin(angle), std::cos(angle)};
    };
    body.position += Vector2(0.0013, 0.0007);
    turn(0.002);
    expect_alike("moved a little", draw);
    EXPECT_EQ(body_pictures_made(), made);
    turn(1.2);
    expect_alike("turned far", draw);
    body.points[2] += Vector2(0.05, 0.0);
    body.bbox_valid = false;
    expect_alike("cut", draw);
    EXPECT_EQ(body_pictures_made(), made + 2);

    // Half a pixel to and fro on every frame; the plain frame and the last
    // lean one are drawn at the first place.
    const Vector2 at = shapes.camera;
    bool there = true;
    expect_alike("panning", [&] {
        there = !there;
        shapes.camera = at + Vector2(there ? 0.0013 : 0.0, 0.0);
        shapes.draw();
    });
    // The thin wall; the floor reaches past the screen.
    EXPECT_EQ(body_pictures_made(), made + 3);

    // A body whose picture slides, somewhere new on every frame: its bands
    // are laid from a picture over its interior. The plain frame and the
    // last lean one are drawn at one place, new to the lean way.
    PhysicsPolygon& lava = shapes.physics_polygons.back();
    const Vector2 from = lava.position;
    int calls = 0;
    expect_alike("drifting", [&] {
        ++calls;
        lava.position = from + Vector2(0.0007, 0.0003) * (calls == 1 || calls == 25 ? 30 : calls);
        shapes.draw();
    });
    EXPECT_EQ(body_pictures_made(), made + 4);
}

// A goal that leaves the kept layer and comes back, or a body moved in the
// editor, is drawn again only within its box, and a sliding picture moves on
// every frame: each frame must be the very one the whole layer drawn again
// gives (the camera moved away and back, then held: walls are laid from
// pictures until it has stood for two frames).
TEST_F(LeanDrawing, KeptLayersFollowWhatChangesInThem)
{
    World shapes;
    std::string error;
    ASSERT_TRUE(build_shapes(shapes, error)) << error;
    set_lean_drawing(true);
    const auto frame = [](const std::function<void()>& draw) {
        begin_frame();
        draw();
        int width = 0, height = 0;
        return read_rgba(width, height);
    };
    const auto whole = [&](World& world, const std::function<void()>& draw) {
        const Vector2 at = world.camera;
        world.camera = at + Vector2(0.25, 0);
        frame(draw);
        world.camera = at;
        frame(draw);
        frame(draw);
        return frame(draw);
    };
    const auto in_game = [&] { shapes.draw(); };
    GoalPolygon& goal = shapes.goals.front();
    goal.fade = 0.0;
    // The first frame sets the camera, the next two keep the layer; by the
    // twenty-fourth the moving bodies are kept as pictures too.
    for (int i = 0; i < 24; ++i)
        frame(in_game);
    goal.style.animate_style(0.5);
    const std::vector<std::uint8_t> slid = frame(in_game);
    EXPECT_TRUE(slid == whole(shapes, in_game)) << "the goal's picture slides";

    goal.style.scroll_s = goal.style.scroll_t = 0.0;
    for (const double fade : {0.5, 0.0, 0.5, 1.0}) {
        goal.fade = fade;
        const std::vector<std::uint8_t> in_part = frame(in_game);
        EXPECT_TRUE(in_part == whole(shapes, in_game)) << "goal at fade " << fade;
    }

    // The editor keeps the bodies too.
    const auto edited = [&] { shapes.draw_level(true); };
    frame(edited);
    frame(edited);
    PhysicsPolygon& body = shapes.physics_polygons.front();
    for (int i = 0; i < 3; ++i) {
        body.position += Vector2(0.05, 0.02);
        body.bbox_valid = false;
        const std::vector<std::uint8_t> in_part = frame(edited);
        EXPECT_TRUE(in_part == whole(shapes, edited)) << "body moved " << i + 1 << " times";
    }
}
