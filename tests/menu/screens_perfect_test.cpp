#include <algorithm>

#include "menu/buttons.hpp"
#include "menu/playback_controls.hpp"
#include "menu/screens_fixture.hpp"
#include "menu/string_list_item.hpp"
#include "world/playback_world.hpp"
#include "world/time_text.hpp"

namespace {

class PerfectScreensTest : public ScreensTest {
protected:
    PlaybackWorld* held_playback() { return dynamic_cast<PlaybackWorld*>(menu().held.get()); }
};

}  // namespace

TEST_F(PerfectScreensTest, TakeOverAWinAndComeBackForMore)
{
    recording_helpers::record_game(recording_helpers::shipped_level("Slice"), script("Slice"),
                                   "recordings/R-Slice.Ace.1.024.rec", "levels/Slice.lev");
    write_text("recordings/bad.rec", "not a recording");
    write_text("recordings/notes.txt", "");
    build_recording_list();
    ASSERT_TRUE(has_label("Select a Recording to Perfect"));
    auto& list = static_cast<StringListItem&>(*menu().items[0]);
    ASSERT_EQ(list.entries.size(), 2u);
    const bool bad_first = list.entries[0]->text == "bad";
    EXPECT_EQ(list.entries[bad_first ? 1 : 0]->text, "R-Slice.Ace.1.024");
    step();

    MenuWorld* recordings = &menu();
    list.current = bad_first ? 0 : 1;
    press(SDLK_SPACE);
    EXPECT_EQ(current_world, recordings) << "a damaged recording keeps the list";
    EXPECT_EQ(last_notice(), "Cannot replay bad: the recording is damaged");

    list.current = bad_first ? 1 : 0;
    press(SDLK_SPACE);
    PlaybackWorld* playback = held_playback();
    ASSERT_NE(playback, nullptr);
    EXPECT_TRUE(playback->paused);
    playback->paused = false;
    playback->seek_target = 20;
    for (int i = 0; i < 100 && !playback->paused; ++i)
        step();
    ASSERT_EQ(playback->next_frame, 20);

    ASSERT_NE(item<PerfectPlayFromHereButton>(1), nullptr);
    choose(1);
    ASSERT_EQ(current_world, playback);
    EXPECT_EQ(playback->frames.size(), 20u);
    play("Slice", 20);

    ASSERT_TRUE(has_label("You Win"));
    EXPECT_TRUE(has_label("New High Score!"));
    EXPECT_EQ(time_text(high_scores().get("P-Slice").time), "1.024");
    EXPECT_TRUE(high_scores().get("R-Slice").time < 0);
    std::string why;
    EXPECT_TRUE(verify_recording("recordings/P-Slice." + current_player_name + ".1.024.rec", why)) << why;
    ASSERT_NE(item<MainMenuButton>(0), nullptr);
    EXPECT_EQ(item<MainMenuButton>(0)->text, "I'm done tweaking... for now.");
    ASSERT_NE(item<PerfectRetryButton>(1), nullptr);
    EXPECT_EQ(menu().items.size(), 3u) << "no Quit in Perfect Mode";

    step();
    choose(1);
    ASSERT_EQ(held_playback(), playback);
    EXPECT_TRUE(playback->paused);
    EXPECT_EQ(playback->next_frame, static_cast<int>(playback->frames.size()));
    EXPECT_NE(item<PerfectPlayFromHereButton>(1), nullptr);
}

TEST_F(PerfectScreensTest, TheOpeningDemoRunsOnBehindTheMenusAndIgnoresItsPausePresses)
{
    // The demo's game paused twice; its replay must not open a pause menu.
    InputScript demo = recording_helpers::swings(60);
    demo.frames[10].events.push_back(key_press(SDLK_SPACE));
    demo.frames[30].events.push_back(key_press(SDLK_ESCAPE));
    recording_helpers::record_game(recording_helpers::shipped_level("Slice"), demo, "opening.rec");

    build_opening_menu(true);
    PlaybackWorld* playback = held_playback();
    ASSERT_NE(playback, nullptr);
    EXPECT_TRUE(playback->opening_demo);
    EXPECT_FALSE(menu().freeze_held);
    EXPECT_TRUE(opening_demo_showing());
    press(SDLK_a);
    press(SDLK_SPACE);  // "Play"
    ASSERT_TRUE(has_label("Select a Level"));
    EXPECT_EQ(held_playback(), playback);
    EXPECT_FALSE(menu().freeze_held);
    EXPECT_TRUE(opening_demo_showing());
    step(150);  // past the end: the demo loops
    EXPECT_TRUE(has_label("Select a Level"));
    EXPECT_LT(playback->next_frame, 60);
    choose(1);  // "Back"
    ASSERT_TRUE(has_label("Slivermere"));
    EXPECT_EQ(held_playback(), playback);

    // After 30 seconds without input the menu hides again.
    step(1900);
    EXPECT_TRUE(menu().hidden);

    // From a game's menu the game goes and a new demo starts.
    delete current_world;
    current_world = start_recording("levels/Slice.lev", "world.rec").release();
    press(SDLK_SPACE);
    choose(2);  // "Quit"
    ASSERT_TRUE(has_label("Slivermere"));
    ASSERT_NE(held_playback(), nullptr);
    EXPECT_TRUE(held_playback()->opening_demo);
    EXPECT_TRUE(path_exists("world.rec"));
}
