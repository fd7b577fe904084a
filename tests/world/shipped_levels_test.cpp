#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"
#include "world/blind_players.hpp"
#include "world/level_check.hpp"
#include "world/plan.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"
#include "world/text_cases.hpp"

using namespace recording_helpers;

namespace {

const std::filesystem::path levels_dir = source_root / "data" / "levels";
const std::filesystem::path scripts_dir = source_root / "tests" / "levels";

std::vector<std::string> list_lines() { return prefixed_lines(read_text(levels_dir / "levels.list"), ""); }

std::vector<std::string> level_names()
{
    std::vector<std::string> names = list_lines();
    std::erase(names, "---");
    return names;
}

// The result the script's "# expect: " line records, made once with the
// release build: every build must play the game to the same bits.
std::string expected_result(const std::string& name)
{
    const std::vector<std::string> expected = prefixed_lines(read_text(scripts_dir / (name + ".script")), "# expect: ");
    return expected.empty() ? "" : expected[0];
}

class ShippedLevel : public testing::TestWithParam<std::string> {
protected:
    LogCapture log;
};

}  // namespace

// Every source is listed once, three open levels first; winning the campaign
// in order opens every locked level before it comes up, and the secret
// level's goal is an optional one.
TEST(ShippedLevels, TheListNamesEverySourceOnceAndWinningEachOpensTheLockedOnesInTurn)
{
    LogCapture log;
    const std::vector<std::string> lines = list_lines();
    ASSERT_GE(lines.size(), 31u) << "thirty levels and the line";
    EXPECT_EQ(lines[3], "---");
    std::set<std::string> listed, opened;
    int larger_than_a_screen = 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i == 3)
            continue;
        const std::string& name = lines[i];
        EXPECT_TRUE(listed.insert(name).second) << name << " listed twice";
        EXPECT_TRUE(i < 3 || opened.count(name)) << name << " is not opened by winning the levels before it";
        const std::unique_ptr<World> world = shipped_world(name);
        const Vector2 size = world->bounds_max - world->bounds_min;
        larger_than_a_screen += size.x > 2 * view_half_width + 0.01 || size.y > 2 * view_half_height + 0.01;
        run_world(*world, solution(name), RunOptions{});
        for (const GoalPolygon& goal : world->goals)
            if (goal.done && goal.target.unlocks)
                opened.insert(goal.target.name);
    }
    EXPECT_GE(larger_than_a_screen, 8) << "levels where the camera follows the sword";
    for (const auto& entry : std::filesystem::directory_iterator(levels_dir))
        EXPECT_TRUE(entry.path().extension() != ".txt" || listed.count(entry.path().stem().string()))
            << entry.path() << " is not in levels.list";
    bool optional_secret = false;
    const auto quarry = shipped_world("Quarry");
    for (const GoalPolygon& goal : quarry->goals)
        optional_secret |= goal.target.unlocks && goal.target.name == "Secret" && !goal.target.required;
    EXPECT_TRUE(optional_secret);
}

// Its solution wins to the recorded bits, the designer's check finds nothing
// (among other things, doing nothing does not win), the file dumps to a text
// that builds the same file, and every truncation of the file is refused.
TEST_P(ShippedLevel, ItsSolutionWinsItsCheckIsCleanAndItsFileRoundTrips)
{
    const std::unique_ptr<World> world = shipped_world(GetParam());
    EXPECT_FALSE(world->front_matter.empty());
    EXPECT_FALSE(world->end_matter.empty());
    const InputScript script = solution(GetParam());
    ASSERT_FALSE(script.frames.empty());
    const RunResult played = run_world(*world, script, RunOptions{});
    EXPECT_EQ(played.outcome, Outcome::win) << result_line(played);
    EXPECT_EQ(played.frames, static_cast<int>(script.frames.size())) << "the script ends with the winning frame";
    EXPECT_EQ(result_line(played), expected_result(GetParam()));

    LevelCheckOptions check;
    check.level_list = list_lines();
    EXPECT_EQ(finding_lines(check_level(*shipped_world(GetParam()), check)), std::vector<std::string>{});

    const std::vector<unsigned char> bytes = shipped_level(GetParam());
    World loaded, rebuilt;
    ASSERT_TRUE(load_bytes(loaded, bytes));
    std::string error;
    ASSERT_TRUE(build_level(dump_level(loaded), rebuilt, error)) << error;
    EXPECT_EQ(record_of(rebuilt), bytes);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        World truncated;
        ASSERT_FALSE(load_bytes(truncated, bytes, cut)) << "cut at " << cut;
    }
}

// A recording made by one build must replay identically in another: the
// replay lands on the live game's bits every frame and on the expected result.
TEST_P(ShippedLevel, ReplaysTheRecordedGameBitForBit)
{
    TempDir dir;
    const std::string file = dir.file(GetParam() + ".rec");
    const std::vector<std::vector<unsigned char>> live = record_game(shipped_level(GetParam()), solution(GetParam()), file);
    PlaybackWorld playback(file, false);
    ASSERT_EQ(playback.refusal(), "");
    ASSERT_EQ(playback.frames.size(), live.size());
    for (std::size_t i = 0; i < live.size(); ++i) {
        playback.paused = playback.step_once = true;
        double dt = 0.0;
        playback.update(dt);
        ASSERT_EQ(record_of(playback), live[i]) << "the replay leaves the game at frame " << i;
    }
    PlaybackWorld again(file, false);
    EXPECT_EQ(result_line(replay_world(again, 0)), expected_result(GetParam()));
}

// Past the first three, a level must need thought: no blind player wins it.
// Its plan, when it has one, still writes its script.
TEST_P(ShippedLevel, BlindPlayersLoseAndThePlanStillWritesTheScript)
{
    TempDir dir;
    const std::string file = dir.file(GetParam() + ".lev");
    {
        OutFileStorage out(file);
        shipped_world(GetParam())->save(out);
    }
    const std::vector<std::string> names = level_names();
    if (std::find(names.begin(), names.begin() + 3, GetParam()) == names.begin() + 3) {
        std::vector<BlindWin> wins;
        int played = 0;
        std::string reason;
        ASSERT_TRUE(play_blind(file, blind_players(), wins, played, reason)) << reason;
        for (const BlindWin& win : wins)
            ADD_FAILURE() << GetParam() << " is won by the blind player " << win.player << " in " << win.frames
                          << " frames";
    }
    const std::filesystem::path plan_file = scripts_dir / (GetParam() + ".plan");
    if (std::filesystem::exists(plan_file)) {
        std::istringstream plan(read_text(plan_file));
        PlanResult made;
        std::string error;
        ASSERT_TRUE(play_plan(file, plan, GetParam(), made, error)) << error;
        EXPECT_EQ(made.script, read_text(scripts_dir / (GetParam() + ".script")))
            << "run slivermere-tool plan to write the script again";
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, ShippedLevel, testing::ValuesIn(level_names()),
                         [](const testing::TestParamInfo<std::string>& level) { return level.param; });
