#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "world/blind_players.hpp"
#include "world/level_text.hpp"
#include "world/plan.hpp"
#include "world/text_cases.hpp"
#include "world/world.hpp"

namespace {

// A plank level of tests/data/plank built and saved as a level file in `dir`.
std::string save_plank_level(const TempDir& dir, const std::string& name)
{
    LogCapture quiet;
    World world;
    std::string error;
    EXPECT_TRUE(build_level(read_text(source_root / "tests" / "data" / "plank" / (name + ".txt")), world, error))
        << error;
    OutFileStorage out(dir.file(name + ".lev"));
    world.save(out);
    return dir.file(name + ".lev");
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
    const std::vector<BlindPlayer> players = blind_players();
    std::vector<BlindWin> wins;
    int played = 0;
    std::string reason;
    ASSERT_TRUE(play_blind(save_plank_level(dir, "easy"), players, wins, played, reason)) << reason;
    EXPECT_GE(wins.size(), 5u);
    for (const BlindWin& win : wins)
        EXPECT_LT(win.frames, blind_player_frames) << win.player;

    ASSERT_TRUE(play_blind(save_plank_level(dir, "lost"), players, wins, played, reason)) << reason;
    // A level of one screen is played from the top-left corner only.
    EXPECT_EQ(played * 4, static_cast<int>(players.size()));
    EXPECT_TRUE(wins.empty()) << wins.front().player;

    EXPECT_FALSE(play_blind(dir.file("missing.lev"), players, wins, played, reason));
    EXPECT_NE(reason.find("missing.lev"), std::string::npos) << reason;
}

// That a plan writes the script that wins is checked with every shipped
// level that has one; here, what a plan may not say.
TEST(Plan, ABadLineOrLevelIsNamed)
{
    TempDir dir;
    const std::string level = save_plank_level(dir, "easy");
    const auto cases = text_cases("scripts/bad_plans.txt");
    ASSERT_GE(cases.size(), 8u);
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
