#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/blind_players.hpp"
#include "world/level_text.hpp"
#include "world/plan.hpp"
#include "world/world.hpp"

namespace {

// One screen; a plank across all of it rests on two ledges above a floor-wide
// goal, `goal_lines` saying what the goal is.
std::string plank_level(const std::string& goal_lines)
{
    return "bounds -1.33203125 -1 1.33203125 1\n"
           "sword\n  position -0.8 -0.3\n"
           "wall\n  points -1.34 -1.1  1.34 -1.1  1.34 -0.9  -1.34 -0.9\n"
           "wall\n  points -1.34 0.2  -1.2 0.2  -1.2 0.3  -1.34 0.3\n"
           "wall\n  points 1.2 0.2  1.34 0.2  1.34 0.3  1.2 0.3\n"
           "body\n  style wood\n  points -1.3 0.3  1.3 0.3  1.3 0.34  -1.3 0.34\n  item Wood\n"
           "goal\n  points -1.2 -0.9  1.2 -0.9  1.2 -0.6  -1.2 -0.6\n" +
           goal_lines;
}

std::string save_level(const TempDir& dir, const std::string& name, const std::string& text)
{
    LogCapture quiet;
    World world;
    std::string error;
    EXPECT_TRUE(build_level(text, world, error)) << error;
    OutFileStorage out(dir.file(name));
    world.save(out);
    return dir.file(name);
}

}  // namespace

TEST(BlindPlayers, AreTheSameEveryTimeLongEnoughAndNamedApart)
{
    const std::vector<BlindPlayer> first = blind_players();
    const std::vector<BlindPlayer> second = blind_players();
    ASSERT_EQ(first.size(), second.size());
    EXPECT_GE(first.size(), 20u);
    std::set<std::string> names;
    for (std::size_t i = 0; i < first.size(); ++i) {
        const BlindPlayer& player = first[i];
        EXPECT_EQ(player.script_text, second[i].script_text) << player.name;
        EXPECT_TRUE(names.insert(player.name).second) << player.name << " twice";
        EXPECT_GE(player.script.frames.size(), 1500u) << player.name;
        const bool held = player.name.find(" held") != std::string::npos;
        EXPECT_EQ(player.script_text.find("d:1") != std::string::npos, held) << player.name;
    }
    BlindPlayer found;
    ASSERT_TRUE(find_blind_player(first.back().name, found));
    EXPECT_EQ(found.script_text, first.back().script_text);
    EXPECT_FALSE(find_blind_player("sweep-x", found));
}

TEST(BlindPlayers, WinALevelAnyStrokeWinsAndNotOneThatIsLost)
{
    TempDir dir;
    // A cut anywhere in the plank drops wood into the goal.
    const std::string easy = save_level(dir, "easy.lev", plank_level("  required\n  bit Wood count 0 amount 0\n"));
    // The same fall loses here, and the required goal wants what no body has.
    const std::string lost = save_level(
        dir, "lost.lev",
        plank_level("  losing\n"
                    "goal\n  points -0.1 0.7  0.1 0.7  0.1 0.9  -0.1 0.9\n  required\n  bit Gold count 0 amount 0\n"));

    const std::vector<BlindPlayer> players = blind_players();
    std::vector<BlindWin> wins;
    int played = 0;
    std::string reason;
    ASSERT_TRUE(play_blind(easy, players, wins, played, reason)) << reason;
    EXPECT_GE(wins.size(), 5u);
    for (const BlindWin& win : wins)
        EXPECT_LT(win.frames, blind_player_frames) << win.player;

    ASSERT_TRUE(play_blind(lost, players, wins, played, reason)) << reason;
    // A level of one screen is played from the top-left corner only.
    EXPECT_EQ(played * 4, static_cast<int>(players.size()));
    EXPECT_TRUE(wins.empty()) << wins.front().player;

    EXPECT_FALSE(play_blind(dir.file("missing.lev"), players, wins, played, reason));
    EXPECT_NE(reason.find("missing.lev"), std::string::npos) << reason;

}

// A plan is strokes in level coordinates; what it writes is a script that
// plays the same game from a fresh load.
TEST(Plan, WritesAScriptThatPlaysTheSameGame)
{
    TempDir dir;
    const std::string level = save_level(dir, "easy.lev", plank_level("  required\n  bit Wood count 0 amount 0\n"));
    std::istringstream plan("# along, then up through the plank\nto -0.5 -0.3 1\nhold 5\nto -0.5 0.8 4  # cut\nuntil 400\n");
    PlanResult made;
    std::string error;
    ASSERT_TRUE(play_plan(level, plan, "Easy", made, error)) << error;
    EXPECT_EQ(made.result.outcome, Outcome::win);
    EXPECT_TRUE(made.script.starts_with("# expect: " + result_line(made.result) + "\n# Easy: ")) << made.script;
    EXPECT_NE(made.script.find("\n# to -0.5 0.8 4\n"), std::string::npos) << made.script;

    std::istringstream written(made.script);
    InputScript script;
    ASSERT_TRUE(parse_input_script(written, script, error)) << error;
    EXPECT_EQ(static_cast<int>(script.frames.size()), made.result.frames);
    std::unique_ptr<World> world = load_level_quietly(level, error);
    ASSERT_TRUE(world);
    EXPECT_EQ(result_line(run_world(*world, script, RunOptions{})), result_line(made.result));
}

TEST(Plan, ABadLineOrLevelIsNamed)
{
    TempDir dir;
    const std::string level = save_level(dir, "easy.lev", plank_level("  required\n"));
    const std::pair<const char*, const char*> cases[] = {
        {"wait 2\njump 1 2\n", "line 2: a command is to, hold, wait, down, up or until"},
        {"to 1\n", "line 1: to X Y [SPEED], SPEED above 0"},
        {"to 1 1 0\n", "line 1: to X Y [SPEED], SPEED above 0"},
        {"hold 1.5\n", "line 1: hold N and wait N take a whole number of frames"},
        {"wait -1\n", "line 1: hold N and wait N take a whole number of frames"},
        {"down 1\n", "line 1: down and up take nothing"},
        {"to 1 x\n", "line 1: 'x' is not a number"},
        {"to 1 nan\n", "line 1: 'nan' is not a number"},
    };
    PlanResult made;
    std::string error;
    for (const auto& [text, expected] : cases) {
        std::istringstream plan(text);
        EXPECT_FALSE(play_plan(level, plan, "x", made, error)) << text;
        EXPECT_EQ(error, expected) << text;
    }
    std::istringstream plan("wait 1\n");
    EXPECT_FALSE(play_plan(dir.file("missing.lev"), plan, "x", made, error));
    EXPECT_NE(error.find("missing.lev"), std::string::npos) << error;
}
