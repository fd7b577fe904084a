#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "app/picture_files.hpp"
#include "menu/lockable_string_item.hpp"
#include "menu/menu_world.hpp"
#include "menu/playback_controls.hpp"
#include "menu/playback_screen.hpp"
#include "progress/player_info.hpp"
#include "render/gl.hpp"
#include "render/png.hpp"
#include "storage/file_storage.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/level_list.hpp"
#include "world/level_picture.hpp"
#include "world/level_text.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"
#include "world/world.hpp"

namespace {

// The game's screens drawn with its own pictures and fonts; each test leaves
// no screen behind.
class ScreensDraw : public GameFolderGlTest {
protected:
    void TearDown() override
    {
        delete current_world;
        current_world = nullptr;
    }

    using Frame = std::vector<std::uint8_t>;  // top row first

    static Frame draw(BaseWorld& screen)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        screen.draw();
        int w = 0, h = 0;
        return read_rgba(w, h);
    }
    static int channel(const Frame& frame, double ux, double uy, int c)
    {
        int px = 0, py = 0;
        to_pixel(ux, uy, px, py);
        return frame[(static_cast<std::size_t>(gl_test_height - 1 - py) * gl_test_width + px) * 4 + c];
    }
    // Points of a box in screen units (about every other pixel) where `b` is redder than `a` by more than `by`.
    static int brighter(const Frame& a, const Frame& b, double x0, double y0, double x1, double y1, int by = 30)
    {
        int count = 0;
        for (double y = y0; y < y1; y += 2 / 768.0)
            for (double x = x0; x < x1; x += 2 / 768.0)
                count += channel(b, x, y, 0) > channel(a, x, y, 0) + by;
        return count;
    }

    LogCapture log_;
};

}  // namespace

TEST_F(ScreensDraw, MenuBandTextPointerAndPadlocksWhileVisibleOnlyTheHintWhileHidden)
{
    const std::string old_player = current_player_name;
    current_player_name = "menu draw " + std::to_string(std::rand());
    // The first level under the menu, its goal tags shown, as a reference frame.
    goals_visible = true;
    std::unique_ptr<World> level = load_level(level_file_name(read_level_list().front()));
    ASSERT_TRUE(level);
    const Frame under = draw(*level);
    current_world = level.release();
    const StringItem hint("Press Any Key for Menu", true, 0.1, Vector2(0, -0.95), 0.0);
    auto* menu = new MenuWorld(false, true, -1, hint);
    menu->items.push_back(std::make_unique<StringItem>("Play", true, 0.2, Vector2(0, 0.2), 0.0));
    menu->items.push_back(std::make_unique<LockableStringItem>("Level Editor", "Edit", 0.15, Vector2(0, -0.35)));
    menu->pointer = Vector2(1.0, 0.6);
    current_world = menu;
    double dt = 0.02;
    menu->update(dt);
    const Frame visible = draw(*menu);

    // The band: black at 0.35 half way through its fading edge, nothing beyond.
    const auto& play = static_cast<StringItem&>(*menu->items[0]);
    const double edge = play.position.x - play.half_width - 0.05;
    EXPECT_NEAR(channel(visible, edge, 0.2, 1), channel(under, edge, 0.2, 1) * 0.65, 3);
    EXPECT_EQ(channel(visible, edge - 0.1, 0.2, 1), channel(under, edge - 0.1, 0.2, 1));
    EXPECT_GT(brighter(under, visible, -play.half_width, 0.1, play.half_width, 0.3), 200) << "the text";
    EXPECT_GT(brighter(under, visible, 0.9, 0.5, 1.1, 0.7, 10), 5) << "the pointer";
    EXPECT_EQ(brighter(under, visible, -0.6, -1.0, 0.6, -0.9, 2), 0) << "no hint";

    // Padlocks on both sides of the locked item, gone once it is unlocked.
    const auto& editor = static_cast<LockableStringItem&>(*menu->items[1]);
    const double right = editor.position.x + editor.half_width + 0.01, size = 2 * editor.half_height;
    current_player_info().unlock("Edit");
    menu->update(dt);
    const Frame unlocked = draw(*menu);
    for (const double x : {right, -right - size})
        EXPECT_GT(brighter(unlocked, visible, x, -0.425, x + size, -0.275), 100) << x;

    // Hidden and faded: only the hint, and the level untouched elsewhere.
    menu->hidden = true, menu->fade = 0;
    const Frame hidden = draw(*menu);
    EXPECT_GT(brighter(under, hidden, -0.6, -1.0, 0.6, -0.9), 200) << "the hint";
    EXPECT_EQ(brighter(under, hidden, -1.3, -0.85, 1.3, 0.95, 2), 0) << "no band, item nor pointer";
    current_player_name = old_player;
    goals_visible = false;
}

TEST_F(ScreensDraw, PlaybackBarFillsWithProgressMarksTheTargetAndAnEmptyRecordingIsFull)
{
    TempDir dir;
    // The bar alone, on black, over a recording of `frames` frames of swinging.
    const auto open = [&](int frames) -> PlaybackTimeline& {
        const std::string file = dir.file(std::to_string(frames) + ".rec");
        recording_helpers::record_game(recording_helpers::shipped_level("Slice"), recording_helpers::swings(frames),
                                       file, "levels/Slice.lev");
        EXPECT_TRUE(build_playback_screen(file, true));
        auto& bar = static_cast<PlaybackTimeline&>(*current_menu()->items.back());
        glClear(GL_COLOR_BUFFER_BIT);
        bar.draw();
        return bar;
    };
    const auto playback = [] { return static_cast<PlaybackWorld*>(current_menu()->held.get()); };
    // The progress fill is (0.8, 0.8, 0.6) at alpha 0.9.
    const auto filled = [](double ux, double uy) {
        const std::uint32_t p = pixel_at_units(ux, uy);
        return std::abs(red_of(p) - 184) <= 3 && std::abs(green_of(p) - 184) <= 3 && std::abs(blue_of(p) - 138) <= 3;
    };
    PlaybackTimeline& bar = open(300);
    EXPECT_FALSE(filled(-1.0, -0.75)) << "nothing played yet";
    playback()->seek_target = 150;
    playback()->paused = false;
    for (double dt = 0.033; !playback()->paused;)
        current_world->update(dt);
    ASSERT_EQ(playback()->next_frame, 150);
    playback()->seek_target = 225;  // three quarters along
    glClear(GL_COLOR_BUFFER_BIT);
    bar.draw();
    EXPECT_TRUE(filled(-0.05, -0.745) && !filled(0.05, -0.745));
    int x = 0, y = 0;
    to_pixel(-1.2654296875 + 2 * 1.2654296875 * 0.75, -0.75, x, y);
    EXPECT_GT(std::max({red_of(pixel(x - 1, y)), red_of(pixel(x, y)), red_of(pixel(x + 1, y))}), 120)
        << "the target mark";

    delete current_world;
    current_world = nullptr;
    open(0);
    EXPECT_TRUE(filled(-1.25, -0.75) && filled(1.25, -0.75));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

// Red minus blue of 7 x 7 picture pixels around a level point, in the picture
// of 100 pixels a unit, bottom row first as load_png gives it.
double redness(const std::vector<std::uint32_t>& pixels, double x, double y)
{
    double sum = 0;
    const int cx = static_cast<int>((x + 4) * 100), cy = static_cast<int>((y + 1.5) * 100);
    for (int py = cy - 3; py <= cy + 3; ++py)
        for (int px = cx - 3; px <= cx + 3; ++px) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(py) * 800 + px];
            sum += (red_of(p) - blue_of(p)) / 49.0;
        }
    return sum;
}

TEST_F(ScreensDraw, LevelPictureShowsTheWholeBoundsOfALevelLargerThanAScreen)
{
    World world;
    std::string error;
    // Three screens wide and one and a half tall: a floor, a goal, lava in
    // the top left corner and ice in the top right, so that a picture that is
    // cropped, mirrored or upside down shows a wrong colour.
    ASSERT_TRUE(build_level(read_text(source_root / "tests/data/levels/wide.txt"), world, error)) << error;
    EXPECT_EQ(screens_text(world), "3 x 1.5 screens");
    TempDir dir;
    OutFileStorage out(dir.file("wide.lev"));
    world.save(out);
    ASSERT_TRUE(out.finish());
    ASSERT_TRUE(write_level_picture(dir.file("wide.lev"), dir.file("wide.png"), 800, error)) << error;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(load_png(dir.file("wide.png"), width, height, pixels));
    ASSERT_EQ(width, 800u);
    ASSERT_EQ(height, 300u);
    // Above each body's tag lava is red, ice blue, the background between
    // them neither (its blue is at most a little above its red).
    EXPECT_GT(redness(pixels, -3.6, 1.23), 30);
    EXPECT_LT(redness(pixels, 3.6, 1.23), -25);

    // What no picture can be made of.
    LevelPicture picture;
    EXPECT_FALSE(draw_level_picture(world, 100000, picture, error));
    EXPECT_NE(error.find("does not fit"), std::string::npos) << error;
    world.bounds_max.y = world.bounds_min.y;
    EXPECT_FALSE(draw_level_picture(world, 100, picture, error));
    EXPECT_EQ(error, "the level's bounds are empty");
}
