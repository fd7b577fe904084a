#include <filesystem>
#include <string>

#include "editor/edit_world.hpp"
#include "editor/playtest.hpp"
#include "menu/menu_fixture.hpp"
#include "menu/screens.hpp"
#include "menu/string_list_item.hpp"
#include "progress/file_name.hpp"
#include "progress/high_score_table.hpp"
#include "storage/file_storage.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"
#include "world/time_text.hpp"
#include "world/world_hooks.hpp"

namespace {

// A small game folder in a fresh working folder: "Slice" and "Delivery" open,
// "Portions" after the "---", and the folders the game writes into. Each test
// has a player of its own and an empty high-score table.
class Screens : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        high_scores().clear();
        static int players = 0;
        current_player_name = "Tester" + std::to_string(++players);
        for (const char* folder : {"levels", "recordings", "userlevels", "playerinfo"})
            std::filesystem::create_directory(folder);
        for (const char* name : {"Slice", "Delivery", "Portions"}) {
            OutFileStorage out(std::string("levels/") + name + ".lev");
            recording_helpers::shipped_world(name)->save(out);
            ASSERT_TRUE(out.finish());
        }
        write_text("levels/levels.list", "Slice\nDelivery\n---\nPortions\n");
    }
    void TearDown() override
    {
        MenuTest::TearDown();
        high_scores().clear();
        playtest_backup = PlaytestBackup{};
        playtesting = false;
        goals_visible = false;
    }

    void step(int frames = 1)
    {
        for (int i = 0; i < frames && current_world; ++i) {
            double dt = 0.016;
            current_world->update(dt);
        }
    }
    // Feeds the level's winning script, from frame `first`, to the current
    // screen until a menu opens.
    void play(const std::string& level, std::size_t first = 0)
    {
        const InputScript input = recording_helpers::solution(level);
        for (std::size_t f = first; f < input.frames.size() && !current_menu(); ++f) {
            for (const SDL_Event& event : input.frames[f].events)
                send(event);
            double dt = input.frames[f].ms / 1000.0;
            current_world->update(dt);
        }
    }

    MenuWorld& menu()
    {
        MenuWorld* current = current_menu();
        EXPECT_NE(current, nullptr);
        return *current;
    }
    // The menu's list, selected.
    StringListItem& list()
    {
        auto& items = menu().items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (auto* found = dynamic_cast<StringListItem*>(items[i].get())) {
                menu().selected = static_cast<int>(i);
                return *found;
            }
        ADD_FAILURE() << "no list";
        static StringListItem none(0, 0);
        return none;
    }
    std::vector<std::string> entry_texts()
    {
        std::vector<std::string> texts;
        for (auto& entry : list().entries)
            texts.push_back(entry->text);
        return texts;
    }
    // Activates a list entry, which the menu must refuse with the notice it shows.
    void expect_refused(int entry, const std::string& notice)
    {
        MenuWorld* before = &menu();
        list().current = entry;
        press(SDLK_SPACE);
        EXPECT_EQ(current_world, before) << "the list stays";
        EXPECT_EQ(last_notice(), notice);
    }
};

}  // namespace

// The way from the opening menu to a won level, with its results on disk, is
// the player's story from start to end.
TEST_F(Screens, ASlowerWinKeepsTheRecordSaysWhenItsRecordingCannotBeKeptAndGoesOnward)
{
    high_scores().submit("R-Slice", "Ace", 0.5, false);
    // A file where the recordings' folder should be: the game's recording cannot be kept.
    std::filesystem::remove("recordings");
    write_text("recordings", "in the way");
    BaseWorld* game = start_recording("levels/Slice.lev", "world.rec").release();
    current_world = game;
    play("Slice");
    ASSERT_TRUE(has_label("You Win"));
    EXPECT_EQ(last_notice(), "The recording of this game could not be saved");
    EXPECT_TRUE(has_label("High Score:") && has_label("New Personal Best!"));
    EXPECT_EQ(high_scores().get("R-Slice").player, "Ace");
    EXPECT_EQ(time_text(current_player_info().personal_best("R-Slice")), "1.024");
    EXPECT_TRUE(menu().held.get() == game && menu().freeze_held);
    step();
    activate("Onward");
    EXPECT_TRUE(has_label("Select a Level"));
    EXPECT_EQ(menu().held.get(), game) << "the won game stays under the list until a level is chosen";
}

TEST_F(Screens, PauseRestartsFromTheFileAndKeepsTheMenuWhenTheFileIsGone)
{
    current_world = start_recording("levels/Slice.lev", "world.rec").release();
    step(3);
    press(SDLK_ESCAPE);
    ASSERT_TRUE(has_label("Paused"));
    std::filesystem::rename("levels/Slice.lev", "levels/Slice.away");
    activate("Restart");
    EXPECT_TRUE(has_label("Paused")) << "no level to restart: the menu stays";
    EXPECT_EQ(last_notice(), "Cannot open the level Slice: its file is missing");
    EXPECT_FALSE(std::filesystem::exists("world.rec")) << "the paused game is not over";

    std::filesystem::rename("levels/Slice.away", "levels/Slice.lev");
    BaseWorld* old_game = menu().held.get();
    press(SDLK_SPACE);
    auto* game = dynamic_cast<RecordingWorld*>(current_world);
    ASSERT_NE(game, nullptr);
    EXPECT_NE(static_cast<BaseWorld*>(game), old_game);
    EXPECT_TRUE(std::filesystem::exists("world.rec")) << "the old game's recording";
}

TEST_F(Screens, LevelListEntriesLocksAndBrokenFiles)
{
    write_text("levels/levels.list", "Slice\n---\nPortions\nMissing\nBroken\n");
    write_text("levels/Broken.lev", "not a level");
    // Neither a file without a name nor the editor's recovery copy is a level.
    for (const char* name : {"Mine.lev", ".lev", "notes.txt", "Mine.recovery.lev"})
        std::filesystem::copy_file("levels/Delivery.lev", std::string("userlevels/") + name);
    build_level_list(false);
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Slice", "Portions", "Missing", "Broken", "Mine"}));
    step();
    expect_refused(1, "");  // "Portions", locked for a new player
    current_player_info().unlock_everything();
    expect_refused(2, "Cannot open the level Missing: its file is missing");
    expect_refused(3, "Cannot open the level Broken: its file is damaged");
    list().current = 4;
    press(SDLK_SPACE);
    EXPECT_TRUE(has_label("Welcome to Mine"));
    delete current_world;
    current_world = nullptr;

    // The editor's list: the user levels after "New Level"; a damaged one stays in the list.
    std::filesystem::remove("userlevels/Mine.recovery.lev");
    build_level_list(true);
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Mine"}));
    step();
    write_text("userlevels/Mine.lev", "not a level");
    expect_refused(0, "Cannot open the level Mine: its file is damaged");
}

// Under a question over the level list the demo is still the screen at the
// bottom: its tags and clock stay hidden, and it loops.
TEST_F(Screens, TheOpeningDemoIsShowingUnderMenusOverMenus)
{
    std::filesystem::copy_file(std::string(game_dir) + "/opening.rec", "opening.rec");
    build_opening_menu(false);
    pop_menu();
    build_level_list(false);
    EXPECT_TRUE(opening_demo_showing());
    build_level_list(false);
    EXPECT_TRUE(opening_demo_showing());
}

// The editor's round trip through a playtest won is in the editor's session
// test; here the refusal and the results kept of nothing.
TEST_F(Screens, PlaytestOnlyASaneLevelAndKeepNoResults)
{
    std::filesystem::copy_file("levels/Slice.lev", "userlevels/Mine.lev");
    current_world = open_editor("userlevels/Mine.lev").release();
    auto* editor = static_cast<EditWorld*>(current_world);
    // A level the game would refuse stays in the editor, under its menu.
    double& mass = editor->world->physics_polygons.at(0).mass;
    const double sane_mass = mass;
    mass = 0;
    build_editor_pause_menu();
    activate("Playtest");
    EXPECT_FALSE(playtesting || std::filesystem::exists("playtest.lev"));
    EXPECT_NE(item("Playtest (fix the level first)"), nullptr);
    pop_menu();
    mass = sane_mass;
    build_editor_pause_menu();
    activate("Playtest");

    ASSERT_TRUE(playtesting);
    play("Slice");
    ASSERT_TRUE(has_label("You Win"));
    EXPECT_FALSE(has_label("New High Score!"));
    step();
    EXPECT_TRUE(high_scores().entries().empty());
    EXPECT_TRUE(current_player_info().personal_bests().empty());
    EXPECT_TRUE(std::filesystem::is_empty("recordings"));
}

TEST_F(Screens, ScoreScreensListResultsInKeyOrder)
{
    EXPECT_EQ(level_name("a/b/Slice.lev.lev"), "Slice.lev");
    EXPECT_EQ(level_name("userlevels/.lev"), "");
    EXPECT_EQ(score_key("levels/Slice.lev", true), "P-Slice");
    EXPECT_EQ(result_recording_file("P-Slice", "..", 75.5), "recordings/P-Slice.%2E%2E.1:15.500.rec");
    high_scores().submit("R-Slice", "Ann/B", 1.024, false);
    high_scores().submit("P-Slice", "Ann/B", 0.9, false);
    write_text(result_recording_file("R-Slice", "Ann/B", 1.024), "");
    build_score_screen(false);
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Slice: 0.900 by Ann/B (no recording!)", "Slice: 1.024 by Ann/B"}));
    // The kept recordings are empty files: they cannot be replayed, and the list says so.
    expect_refused(1, "Cannot replay R-Slice.Ann%2FB.1.024: the recording is damaged");
}

TEST_F(Screens, PerfectModeTakesOverAndWinsUnderItsOwnKey)
{
    recording_helpers::record_game(recording_helpers::shipped_level("Slice"), recording_helpers::solution("Slice"),
                                   "recordings/R-Slice.Ace.1.024.rec", "levels/Slice.lev");
    write_text("recordings/notes.txt", "");
    build_recording_list();
    EXPECT_EQ(entry_texts(), std::vector<std::string>{"R-Slice.Ace.1.024"});
    step();
    press(SDLK_SPACE);
    auto* playback = dynamic_cast<PlaybackWorld*>(menu().held.get());
    ASSERT_NE(playback, nullptr);
    playback->paused = false;
    playback->seek_target = 20;
    for (int i = 0; i < 100 && !playback->paused; ++i)
        step();
    ASSERT_EQ(playback->next_frame, 20);

    menu().selected = 1;  // the take-over button, first on the bar
    press(SDLK_SPACE);
    ASSERT_EQ(current_world, playback);
    EXPECT_EQ(playback->frames.size(), 20u);
    play("Slice", 20);

    ASSERT_TRUE(has_label("You Win"));
    EXPECT_TRUE(has_label("New High Score!"));
    EXPECT_EQ(time_text(high_scores().get("P-Slice").time), "1.024");
    EXPECT_TRUE(high_scores().get("R-Slice").time < 0);
    std::string why;
    EXPECT_TRUE(verify_recording("recordings/P-Slice." + current_player_name + ".1.024.rec", why)) << why;
    EXPECT_EQ(menu().items.size(), 3u) << "no Quit in Perfect Mode";

}
