#include <filesystem>

#include "editor/edit_world.hpp"
#include "menu/buttons.hpp"
#include "menu/score_displays.hpp"
#include "menu/screens_fixture.hpp"
#include "menu/string_list_item.hpp"
#include "progress/file_name.hpp"
#include "progress/player_info.hpp"
#include "support/log_capture.hpp"
#include "world/playback_world.hpp"
#include "world/recording_world.hpp"
#include "world/time_text.hpp"

namespace {

class Screens : public ScreensTest {
protected:
    StringListItem& list()
    {
        for (auto& item : menu().items)
            if (auto* found = dynamic_cast<StringListItem*>(item.get()))
                return *found;
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
    // Activates a list entry that the menu must refuse, with the notice it shows.
    void expect_refused(int entry, const std::string& notice)
    {
        MenuWorld* before = &menu();
        list().current = entry;
        press(SDLK_SPACE);
        EXPECT_EQ(current_world, before) << "the list stays";
        EXPECT_EQ(last_notice(), notice);
    }
    void close_screen()
    {
        delete current_world;
        current_world = nullptr;
    }
};

}  // namespace

TEST_F(Screens, PlayFromTheOpeningMenuToAWonLevelAndOnward)
{
    build_opening_menu(true);
    ASSERT_TRUE(menu().hidden);
    EXPECT_EQ(menu().held, nullptr) << "no opening.rec, no demo";
    EXPECT_EQ(menu().selected, 2);
    press(SDLK_a);
    EXPECT_FALSE(menu().hidden);
    press(SDLK_SPACE);  // "Play"
    ASSERT_TRUE(has_label("Select a Level"));
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Slice", "Delivery", "Portions"}));
    EXPECT_NE(log_.out().find("Level 'Portions'"), std::string::npos);
    step();
    press(SDLK_SPACE);  // the list's first entry
    ASSERT_TRUE(has_label("Welcome to Slice"));
    auto* game = dynamic_cast<RecordingWorld*>(menu().held.get());
    ASSERT_NE(game, nullptr);
    EXPECT_EQ(game->file_name, "levels/Slice.lev");
    step();
    press(SDLK_SPACE);  // "Begin"
    ASSERT_EQ(current_world, game);

    play("Slice");
    ASSERT_TRUE(has_label("You Win"));
    EXPECT_TRUE(has_label("New High Score!") && has_label("New Personal Best!"));
    EXPECT_EQ(menu().held.get(), game);
    EXPECT_TRUE(menu().freeze_held);
    const HighScore score = high_scores().get("R-Slice");
    EXPECT_EQ(score.player, current_player_name);
    EXPECT_EQ(time_text(score.time), "1.024");
    EXPECT_EQ(current_player_info().personal_best("R-Slice"), score.time);
    EXPECT_TRUE(path_exists("highscores.list") && path_exists(player_file_name(current_player_name)))
        << "results are written as soon as they are known";
    std::string why;
    EXPECT_TRUE(verify_recording("recordings/R-Slice." + current_player_name + ".1.024.rec", why)) << why;
    ASSERT_NE(item<PlayButton>(0), nullptr);
    EXPECT_EQ(item<PlayButton>(0)->text, "Onward");
    EXPECT_NE(item<RestartLevelButton>(1), nullptr);
    EXPECT_NE(item<MainMenuButton>(2), nullptr);
    step();
    press(SDLK_SPACE);  // "Onward"
    EXPECT_TRUE(has_label("Select a Level"));
    EXPECT_EQ(menu().held.get(), game) << "the won game stays under the list until a level is chosen";
}

TEST_F(Screens, ASlowerWinKeepsTheRecordAndSaysWhenItsRecordingCannotBeKept)
{
    high_scores().submit("R-Slice", "Ace", 0.5, false);
    // A file where the recordings' folder should be: the game's recording cannot be kept.
    std::filesystem::remove("recordings");
    write_text("recordings", "in the way");
    current_world = start_recording("levels/Slice.lev", "world.rec").release();
    play("Slice");
    ASSERT_TRUE(has_label("You Win"));
    EXPECT_EQ(last_notice(), "The recording of this game could not be saved");
    EXPECT_EQ(read_file_bytes("recordings").size(), 10u);
    EXPECT_TRUE(has_label("High Score:") && has_label("New Personal Best!"));
    bool shown = false;
    for (auto& decoration : menu().decorations)
        if (auto* display = dynamic_cast<HighScoreDisplay*>(decoration.get()))
            shown = display->text == "Slice: 0.500 by Ace";
    EXPECT_TRUE(shown);
    EXPECT_EQ(high_scores().get("R-Slice").player, "Ace");
}

TEST_F(Screens, PauseRestartsFromTheFileAndKeepsTheMenuWhenTheFileIsGone)
{
    current_world = start_recording("levels/Slice.lev", "world.rec").release();
    step(3);
    press(SDLK_ESCAPE);
    ASSERT_TRUE(has_label("Paused"));
    EXPECT_EQ(menu().selected, 3) << "the scroll handle";
    press(SDLK_UP);
    press(SDLK_UP);
    ASSERT_NE(item<RestartLevelButton>(menu().selected), nullptr);
    std::filesystem::rename("levels/Slice.lev", "levels/Slice.away");
    press(SDLK_SPACE);
    EXPECT_TRUE(has_label("Paused")) << "no level to restart: the menu stays";
    EXPECT_EQ(last_notice(), "Cannot open the level Slice: its file is missing");
    EXPECT_FALSE(path_exists("world.rec")) << "the paused game is not over";

    std::filesystem::rename("levels/Slice.away", "levels/Slice.lev");
    BaseWorld* old_game = menu().held.get();
    press(SDLK_SPACE);
    auto* game = dynamic_cast<RecordingWorld*>(current_world);
    ASSERT_NE(game, nullptr);
    EXPECT_NE(static_cast<BaseWorld*>(game), old_game);
    EXPECT_EQ(game->file_name, "levels/Slice.lev");
    EXPECT_NE(log_.out().find("File is: levels/Slice.lev\n"), std::string::npos);
    EXPECT_TRUE(path_exists("world.rec")) << "the old game's recording";
    // The first Escape selects the last item, "Return to the game", which takes the second.
    press(SDLK_SPACE);
    press(SDLK_ESCAPE);
    press(SDLK_ESCAPE);
    EXPECT_EQ(current_world, game);
}

TEST_F(Screens, LossAndTimeOutMenus)
{
    // Slice's goal turned into a losing one: the winning cut now loses.
    auto game = start_recording("levels/Slice.lev", "world.rec");
    for (GoalPolygon& goal : game->goals)
        goal.target.required = false, goal.target.losing = true;
    current_world = game.release();
    play("Slice");
    ASSERT_TRUE(has_label("You Lose"));
    EXPECT_FALSE(has_label("(Out of Time)"));
    EXPECT_NE(item<MainMenuButton>(1), nullptr);
    EXPECT_TRUE(high_scores().entries().empty());
    ASSERT_NE(item<RestartLevelButton>(0), nullptr);
    const std::vector<unsigned char> level = read_file_bytes("levels/Slice.lev");
    write_text("levels/Slice.lev", "not a level");
    MenuWorld* lost = &menu();
    choose(0);  // "Restart"
    EXPECT_EQ(current_world, lost);
    EXPECT_EQ(last_notice(), "Cannot open the level Slice: its file is damaged");
    write_file_bytes("levels/Slice.lev", level);
    close_screen();

    game = start_recording("levels/Slice.lev", "world.rec");
    game->timer.countdown = true;
    game->timer.time = 0.01;
    current_world = game.release();
    step();
    EXPECT_TRUE(has_label("You Lose") && has_label("(Out of Time)"));
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
    close_screen();

    // The editor's list: the user levels after "New Level"; a damaged one stays in the list.
    std::filesystem::remove("userlevels/Mine.recovery.lev");
    build_level_list(true);
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Mine"}));
    EXPECT_NE(item<NewLevelButton>(0), nullptr);
    step();
    select(1);
    write_text("userlevels/Mine.lev", "not a level");
    expect_refused(0, "Cannot open the level Mine: its file is damaged");
    std::filesystem::copy_file("levels/Delivery.lev", "userlevels/Mine.lev",
                               std::filesystem::copy_options::overwrite_existing);
    press(SDLK_SPACE);
    auto* editor = dynamic_cast<EditWorld*>(current_world);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->world->file_name, "userlevels/Mine.lev");
}

TEST_F(Screens, UnlockEverythingTakesOnlyTheLetterU)
{
    build_opening_menu(false);
    MenuWorld* opening = &menu();
    press(SDLK_UP);
    press(SDLK_UP);
    ASSERT_NE(item<UnlockEverythingButton>(menu().selected), nullptr);
    EXPECT_DOUBLE_EQ(item<UnlockEverythingButton>(0)->idle_high[1], 0.1);
    ASSERT_TRUE(current_player_info().is_locked("Edit"));
    choose(4);  // "Level Editor", locked
    EXPECT_EQ(current_world, opening);

    choose(0);
    send(event_of(SDL_MOUSEBUTTONDOWN));
    EXPECT_TRUE(current_player_info().is_locked("Edit"));
    EXPECT_FALSE(path_exists(player_file_name(current_player_name)));
    press(SDLK_u);
    EXPECT_EQ(current_world, opening);
    EXPECT_TRUE(current_player_info().locked_keys().empty());
    EXPECT_TRUE(path_exists(player_file_name(current_player_name))) << "written at once";
    choose(4);
    EXPECT_TRUE(has_label("Select a Level"));
    EXPECT_NE(item<NewLevelButton>(0), nullptr) << "editor mode";
}

TEST_F(Screens, PlaytestOnlyASaneLevelKeepNoResultsAndEditFromThePauseMenu)
{
    std::filesystem::copy_file("levels/Slice.lev", "userlevels/Mine.lev");
    current_world = open_editor("userlevels/Mine.lev").release();
    auto* editor = static_cast<EditWorld*>(current_world);
    const std::vector<unsigned char> before = recording_helpers::record_of(*editor->world);
    // A level the game would refuse stays in the editor, under its menu.
    double& mass = editor->world->physics_polygons.at(0).mass;
    const double sane_mass = mass;
    mass = 0;
    build_editor_pause_menu();
    choose(2);
    EXPECT_FALSE(playtesting);
    EXPECT_EQ(current_menu()->held.get(), editor);
    EXPECT_EQ(item<PlaytestButton>(2)->text, "Playtest (fix the level first)");
    EXPECT_NE(log_.err().find("Cannot playtest userlevels/Mine.lev"), std::string::npos);
    EXPECT_FALSE(path_exists("playtest.lev"));
    EXPECT_EQ(playtest_backup.level, nullptr);
    pop_menu();
    mass = sane_mass;
    build_editor_pause_menu();
    EXPECT_EQ(item<PlaytestButton>(2)->text, "Playtest");
    choose(2);

    ASSERT_TRUE(playtesting);
    ASSERT_NE(dynamic_cast<RecordingWorld*>(current_world), nullptr);
    EXPECT_TRUE(path_exists("playtest.lev"));
    play("Slice");
    ASSERT_TRUE(has_label("You Win"));
    EXPECT_FALSE(has_label("New High Score!"));
    ASSERT_NE(item<EditButton>(0), nullptr);
    step();
    EXPECT_TRUE(high_scores().entries().empty());
    EXPECT_TRUE(current_player_info().personal_bests().empty());
    EXPECT_TRUE(std::filesystem::is_empty("recordings"));
    // Back to the won level, then paused: "Edit" in place of "Restart".
    pop_menu();
    press(SDLK_SPACE);
    ASSERT_TRUE(has_label("Paused"));
    EXPECT_EQ(item<RestartLevelButton>(1), nullptr);
    ASSERT_NE(item<EditButton>(1), nullptr);
    choose(1);
    editor = dynamic_cast<EditWorld*>(current_world);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->world->file_name, "userlevels/Mine.lev");
    EXPECT_EQ(recording_helpers::record_of(*editor->world), before);
    EXPECT_FALSE(playtesting);
    EXPECT_EQ(playtest_backup.level, nullptr);
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
    EXPECT_TRUE(has_label("High Scores"));
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Slice: 0.900 by Ann/B (no recording!)", "Slice: 1.024 by Ann/B"}));
    auto& perfect = static_cast<HighScoreDisplay&>(*list().entries[0]);
    EXPECT_DOUBLE_EQ(perfect.selected_high[1], 0.3);
    EXPECT_DOUBLE_EQ(perfect.idle_low[1], 0.1);
    EXPECT_TRUE(perfect.recording.empty());
    // The kept recordings are empty files: they cannot be replayed, and the list says so.
    select(0);
    expect_refused(1, "Cannot replay R-Slice.Ann%2FB.1.024: the recording is damaged");
    close_screen();

    current_player_info().submit("R-Delivery", 3.5, false);
    current_player_info().submit("R-Slice", 2, false);
    write_text(result_recording_file("R-Slice", current_player_name, 2), "");
    build_score_screen(true);
    EXPECT_TRUE(has_label("Personal Bests for " + current_player_name));
    EXPECT_EQ(entry_texts(), (std::vector<std::string>{"Delivery: 3.500 (no recording!)", "Slice: 2.000"}));
    select(0);
    expect_refused(1, "Cannot replay R-Slice." + current_player_name + ".2.000: the recording is damaged");
}
