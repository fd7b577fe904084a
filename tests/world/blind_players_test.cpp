#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
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
        EXPECT_EQ(player.name, second[i].name);
        EXPECT_EQ(player.script_text, second[i].script_text) << player.name;
        EXPECT_TRUE(names.insert(player.name).second) << player.name << " twice";
        EXPECT_GE(player.script.frames.size(), 1500u) << player.name;
        // The script played is the script written.
        EXPECT_EQ(player.script.frames.size(),
                  static_cast<std::size_t>(std::count(player.script_text.begin(), player.script_text.end(), '\n')) -
                      1)
            << player.name;
        const bool held = player.name.find(" held") != std::string::npos;
        EXPECT_EQ(player.script_text.find("d:1") != std::string::npos, held) << player.name;
    }
    BlindPlayer found;
    ASSERT_TRUE(find_blind_player(first.back().name, found));
    EXPECT_EQ(found.script_text, first.back().script_text);
    EXPECT_FALSE(find_blind_player("sweep-x", found));
}

// The players steer blind, yet in an empty level the sword goes where their
// names say: a sweep at y=0.45 stays at that height of the screen next to its
// corner and reaches both sides of it.
TEST(BlindPlayers, SteerTheSwordWhereTheirNamesSay)
{
    // Two screens each way; the corner players start at the bottom right.
    for (const std::string corner : {"", " from bottom-right"}) {
        LogCapture quiet;
        World world;
        std::string error;
        ASSERT_TRUE(build_level("bounds -2.6640625 -2 2.6640625 2\nsword\n  position 0.7 -0.5\n", world, error))
            << error;
        BlindPlayer player;
        ASSERT_TRUE(find_blind_player("sweep-x fast y=0.45" + corner, player));
        const bool top_left = corner.empty();
        const double height = top_left ? 2.0 - 0.45 * 2.0 : -2.0 + 0.45 * 2.0;
        double lowest_x = 10;
        double highest_x = -10;
        double worst_y = 0;
        for (std::size_t i = 0; i < player.script.frames.size(); ++i) {
            InputScript one;
            one.frames.push_back(player.script.frames[i]);
            run_world(world, one, RunOptions{});
            if (i < 200)
                continue;
            lowest_x = std::min(lowest_x, world.sword.position.x);
            highest_x = std::max(highest_x, world.sword.position.x);
            worst_y = std::max(worst_y, std::abs(world.sword.position.y - height));
        }
        // The throw leaves the sword a little off the corner, after a long
        // run more.
        EXPECT_LT(worst_y, 0.1) << corner;
        EXPECT_LT(lowest_x, top_left ? -2.4 : 0.2) << corner;
        EXPECT_GT(highest_x, top_left ? -0.2 : 2.4) << corner;
    }
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

    // The tool: a line per winner and a summary per level; a win fails it.
    const std::filesystem::path tool =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "slivermere-tool";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "no " << tool;
    const std::string out = dir.file("out.txt");
    const auto run = [&](const std::string& args) {
        return WEXITSTATUS(std::system((tool.string() + " blind " + args + " >" + out + " 2>&1").c_str()));
    };
    const std::string total = " of " + std::to_string(players.size() / 4) + " blind players win\n";
    EXPECT_EQ(run(lost), 0);
    EXPECT_EQ(read_text(out), lost + ": 0" + total);
    EXPECT_EQ(run(lost + " " + easy), 1);
    const std::string lines = read_text(out);
    ASSERT_TRUE(play_blind(easy, players, wins, played, reason));
    EXPECT_NE(lines.find(easy + ": " + wins.front().player + " wins in " + std::to_string(wins.front().frames) +
                         " frames\n"),
              std::string::npos)
        << lines;
    EXPECT_TRUE(lines.ends_with(easy + ": " + std::to_string(wins.size()) + total)) << lines;
    // A player's script, to watch with run.
    EXPECT_EQ(run("--player '" + players[3].name + "' --script " + dir.file("script.txt")), 0);
    EXPECT_EQ(read_text(dir.file("script.txt")), players[3].script_text);
    EXPECT_EQ(run("--player nobody " + easy), 2);
    EXPECT_NE(read_text(out).find(players[3].name), std::string::npos);
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

    // Too slow to cut: the sword only pushes the plank, and the plan runs out.
    std::istringstream slow("to -0.5 -0.3 1\nto -0.5 0.8 0.8\nuntil 200\n");
    ASSERT_TRUE(play_plan(level, slow, "Easy", made, error)) << error;
    EXPECT_EQ(made.result.outcome, Outcome::none);
    // The button held: no cut at any speed.
    std::istringstream blunt("down\nto -0.5 -0.3 1\nto -0.5 0.8 4\nuntil 200\n");
    ASSERT_TRUE(play_plan(level, blunt, "Easy", made, error)) << error;
    EXPECT_EQ(made.result.outcome, Outcome::none);
    EXPECT_NE(made.script.find("16 d:1"), std::string::npos);
}

TEST(Plan, ABadLineOrLevelIsNamed)
{
    TempDir dir;
    const std::string level = save_level(dir, "easy.lev", plank_level("  required\n"));
    const auto error_of = [&](const std::string& text, const std::string& file) {
        std::istringstream plan(text);
        PlanResult made;
        std::string error;
        EXPECT_FALSE(play_plan(file, plan, "x", made, error)) << text;
        return error;
    };
    EXPECT_EQ(error_of("wait 2\njump 1 2\n", level), "line 2: a command is to, hold, wait, down, up or until");
    EXPECT_EQ(error_of("to 1\n", level), "line 1: to X Y [SPEED], SPEED above 0");
    EXPECT_EQ(error_of("to 1 1 0\n", level), "line 1: to X Y [SPEED], SPEED above 0");
    EXPECT_EQ(error_of("hold 1.5\n", level), "line 1: hold N and wait N take a whole number of frames");
    EXPECT_EQ(error_of("wait -1\n", level), "line 1: hold N and wait N take a whole number of frames");
    EXPECT_EQ(error_of("down 1\n", level), "line 1: down and up take nothing");
    EXPECT_EQ(error_of("to 1 x\n", level), "line 1: 'x' is not a number");
    EXPECT_EQ(error_of("to 1 nan\n", level), "line 1: 'nan' is not a number");
    EXPECT_NE(error_of("wait 1\n", dir.file("missing.lev")).find("missing.lev"), std::string::npos);
}
