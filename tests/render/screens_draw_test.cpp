#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "menu/menu_world.hpp"
#include "menu/screens.hpp"
#include "menu/string_list_item.hpp"
#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "render/gl.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/recording_world.hpp"
#include "world/runner.hpp"

namespace {

// The real screens in the game folder, drawn for looking at: the opening
// menu, the level list of a new player and a win.
class ScreensDraw : public GameFolderGlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        old_player_ = current_player_name;
        current_player_name = "Screenshots";
    }
    void TearDown() override
    {
        delete current_world;
        current_world = nullptr;
        current_player_name = old_player_;
        high_scores().clear();
    }
    // Lets the menu fade in and its pulses settle, then draws it.
    static void settle_and_draw(int frames = 60)
    {
        for (int i = 0; i < frames; ++i) {
            double dt = 0.016;
            current_world->update(dt);
        }
        glClear(GL_COLOR_BUFFER_BIT);
        current_world->draw();
    }
    // Lit pixels (red above 150) across a band of the screen.
    static int lit(double x0, double y0, double x1, double y1)
    {
        int count = 0;
        for (double y = y0; y < y1; y += 2 / 768.0)
            for (double x = x0; x < x1; x += 2 / 768.0)
                count += red_of(pixel_at_units(x, y)) > 150;
        return count;
    }

    std::string old_player_;
    LogCapture log_;
};

}  // namespace

TEST_F(ScreensDraw, OpeningMenuLevelListAndWinMenu)
{
    build_opening_menu(false);
    settle_and_draw();
    save_screenshot(build_file("screens_opening.png"));
    EXPECT_GT(lit(-0.6, 0.4, 0.6, 0.6), 200) << "the title";
    EXPECT_GT(lit(-0.2, -0.05, 0.2, 0.05), 50) << "Play";

    pop_menu();
    build_level_list(false);
    auto& list = static_cast<StringListItem&>(*current_menu()->items[0]);
    list.current = 3;  // a locked level: its padlocks glow
    settle_and_draw(120);
    save_screenshot(build_file("screens_level_list.png"));
    EXPECT_GT(lit(-0.6, 0.5, 0.6, 0.7), 200) << "the title";
    delete current_world;
    current_world = nullptr;

    current_world = start_recording("levels/Slice.lev", "").release();
    ASSERT_NE(current_world, nullptr);
    std::ifstream text(source_root / "tests/levels/Slice.script");
    InputScript script;
    std::string error;
    ASSERT_TRUE(parse_input_script(text, script, error)) << error;
    for (const ScriptFrame& frame : script.frames) {
        if (current_menu())
            break;
        double dt = frame.ms / 1000.0;
        for (const SDL_Event& event : frame.events)
            current_world->handle_event(event, dt);
        current_world->update(dt);
    }
    ASSERT_NE(current_menu(), nullptr) << "the win menu";
    settle_and_draw();
    save_screenshot(build_file("screens_win.png"));
    EXPECT_GT(lit(-0.6, 0.6, 0.6, 0.8), 200) << "You Win";
    std::remove(result_recording_file("R-Slice", "Screenshots", 1.024).c_str());
}
