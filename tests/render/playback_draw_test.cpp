#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "menu/menu_world.hpp"
#include "menu/playback_controls.hpp"
#include "menu/playback_screen.hpp"
#include "render/gl.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"

using namespace recording_helpers;

namespace {

// The playback screen of a recording of the first level, with the game's own pictures and fonts.
class PlaybackDraw : public GameFolderGlTest {
protected:
    void TearDown() override
    {
        delete current_world;
        current_world = nullptr;
    }
    // Draws only the bar of a recording of `frames` frames of swinging, on black.
    PlaybackTimeline& open(int frames)
    {
        const std::string file = dir_.file(std::to_string(frames) + ".rec");
        record_game(shipped_level("Slice"), swings(frames), file, "levels/Slice.lev");
        EXPECT_TRUE(build_playback_screen(file, true));
        double dt = 0.02;
        current_world->update(dt);
        return static_cast<PlaybackTimeline&>(*current_menu()->items.back());
    }
    PlaybackWorld& playback() { return static_cast<PlaybackWorld&>(*current_menu()->held); }
    static void draw_alone(PlaybackTimeline& bar)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        bar.draw();
    }
    // The progress fill is (0.8, 0.8, 0.6) at alpha 0.9.
    static bool filled(double ux, double uy)
    {
        const std::uint32_t p = pixel_at_units(ux, uy);
        return std::abs(red_of(p) - 184) <= 3 && std::abs(green_of(p) - 184) <= 3 && std::abs(blue_of(p) - 138) <= 3;
    }
    TempDir dir_;
    LogCapture log_;
};

}  // namespace

TEST_F(PlaybackDraw, BarFillsWithProgressMarksTheTargetAndAnEmptyRecordingIsFull)
{
    PlaybackTimeline& bar = open(300);
    draw_alone(bar);
    EXPECT_FALSE(filled(-1.0, -0.75)) << "nothing played yet";

    playback().seek_target = 150;
    playback().paused = false;
    double dt = 0.033;
    while (!playback().paused)
        current_world->update(dt);
    ASSERT_EQ(playback().next_frame, 150);
    playback().seek_target = 225;  // three quarters along
    draw_alone(bar);
    EXPECT_TRUE(filled(-0.05, -0.745));
    EXPECT_FALSE(filled(0.05, -0.745));
    int x = 0, y = 0;
    to_pixel(-1.2654296875 + 2 * 1.2654296875 * 0.75, -0.75, x, y);
    EXPECT_GT(std::max({red_of(pixel(x - 1, y)), red_of(pixel(x, y)), red_of(pixel(x + 1, y))}), 120)
        << "the target mark";

    delete current_world;
    current_world = nullptr;
    PlaybackTimeline& empty = open(0);
    ASSERT_TRUE(playback().frames.empty());
    draw_alone(empty);
    EXPECT_TRUE(filled(-1.25, -0.75) && filled(1.25, -0.75));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
