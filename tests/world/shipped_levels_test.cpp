#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/blind_players.hpp"
#include "world/level_check.hpp"
#include "world/level_text.hpp"
#include "world/plan.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace {

const std::filesystem::path levels_dir = source_root / "data" / "levels";
const std::filesystem::path scripts_dir = source_root / "tests" / "levels";

std::vector<std::string> list_lines()
{
    std::vector<std::string> lines;
    std::istringstream list(read_text(levels_dir / "levels.list"));
    for (std::string line; std::getline(list, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> level_names()
{
    std::vector<std::string> names;
    for (const std::string& line : list_lines())
        if (line != "---")
            names.push_back(line);
    return names;
}

std::unique_ptr<World> build(const std::string& name)
{
    auto world = std::make_unique<World>();
    std::string error;
    EXPECT_TRUE(build_level(read_text(levels_dir / (name + ".txt")), *world, error)) << name << ": " << error;
    return world;
}

InputScript solution(const std::string& name)
{
    return recording_helpers::parse_script(read_text(scripts_dir / (name + ".script")));
}

// The result the script's "# expect: " line records, made once with the
// release build: every build must play the game to the same bits.
std::string expected_result(const std::string& name)
{
    const std::string prefix = "# expect: ";
    std::istringstream text(read_text(scripts_dir / (name + ".script")));
    for (std::string line; std::getline(text, line);)
        if (line.rfind(prefix, 0) == 0)
            return line.substr(prefix.size());
    return {};
}

// What every goal of the level unlocks when it is done at a win.
std::set<std::string> unlocked_by(const World& world)
{
    std::set<std::string> keys;
    for (const GoalPolygon& goal : world.goals)
        if (goal.done && goal.target.unlocks)
            keys.insert(goal.target.name);
    return keys;
}

class ShippedLevel : public testing::TestWithParam<std::string> {};

}  // namespace

TEST(ShippedLevels, TheListNamesEverySourceOnceWithThreeOpenLevelsFirst)
{
    LogCapture log;
    const std::vector<std::string> lines = list_lines();
    ASSERT_GE(lines.size(), 31u) << "thirty levels and the line";
    EXPECT_EQ(lines[3], "---");
    std::set<std::string> listed;
    int larger_than_a_screen = 0;
    for (const std::string& name : level_names()) {
        EXPECT_TRUE(listed.insert(name).second) << name << " listed twice";
        EXPECT_TRUE(std::filesystem::exists(scripts_dir / (name + ".script"))) << name;
        const std::unique_ptr<World> world = build(name);
        const Vector2 size = world->bounds_max - world->bounds_min;
        larger_than_a_screen += size.x > 2 * view_half_width + 0.01 || size.y > 2 * view_half_height + 0.01;
    }
    EXPECT_GE(larger_than_a_screen, 8) << "levels where the camera follows the sword";
    for (const auto& entry : std::filesystem::directory_iterator(levels_dir)) {
        if (entry.path().extension() == ".txt") {
            EXPECT_TRUE(listed.count(entry.path().stem().string())) << entry.path() << " is not in levels.list";
        }
    }
}

// Winning the campaign in order opens every locked level before it comes up;
// the secret level's goal is an optional one.
TEST(ShippedLevels, WinningEachLevelOpensTheLockedOnesInTurn)
{
    LogCapture log;
    std::set<std::string> opened;
    bool open_part = true;
    for (const std::string& line : list_lines()) {
        if (line == "---") {
            open_part = false;
            continue;
        }
        if (!open_part) {
            EXPECT_TRUE(opened.count(line)) << line << " is not opened by winning the levels before it";
        }
        const std::unique_ptr<World> world = build(line);
        run_world(*world, solution(line), RunOptions{});
        const std::set<std::string> keys = unlocked_by(*world);
        opened.insert(keys.begin(), keys.end());
    }
    const std::unique_ptr<World> quarry = build("Quarry");
    bool optional_secret = false;
    for (const GoalPolygon& goal : quarry->goals)
        optional_secret = optional_secret || (goal.target.unlocks && goal.target.name == "Secret" && !goal.target.required);
    EXPECT_TRUE(optional_secret);
}

TEST_P(ShippedLevel, ItsSolutionWinsAndTheDesignersCheckFindsNothing)
{
    LogCapture log;
    const std::unique_ptr<World> world = build(GetParam());
    EXPECT_FALSE(world->front_matter.empty());
    EXPECT_FALSE(world->end_matter.empty());
    const InputScript script = solution(GetParam());
    ASSERT_FALSE(script.frames.empty());

    const RunResult played = run_world(*world, script, RunOptions{});
    EXPECT_EQ(played.outcome, Outcome::win) << result_line(played);
    EXPECT_EQ(played.frames, static_cast<int>(script.frames.size())) << "the script ends with the winning frame";
    EXPECT_EQ(result_line(played), expected_result(GetParam()));

    // Among other things, doing nothing does not win.
    LevelCheckOptions check;
    check.level_list = list_lines();
    EXPECT_EQ(finding_lines(check_level(*build(GetParam()), check)), std::vector<std::string>{});

    // The level file dumps to a text that builds the same file. (Replaying
    // the recorded solution plays it from the file.)
    MemoryStorage file;
    build(GetParam())->save(file);
    World loaded(file);
    ASSERT_TRUE(loaded.loaded());
    World rebuilt;
    std::string error;
    ASSERT_TRUE(build_level(dump_level(loaded), rebuilt, error)) << error;
    MemoryStorage again;
    rebuilt.save(again);
    EXPECT_EQ(again.bytes(), file.bytes());
}

TEST_P(ShippedLevel, EveryTruncationOfItsFileIsRefused)
{
    LogCapture log;
    MemoryStorage file;
    build(GetParam())->save(file);
    const std::vector<unsigned char>& bytes = file.bytes();
    for (std::size_t cut = 0; cut < bytes.size(); ++cut) {
        MemoryStorage storage;
        storage.write_raw(bytes.data(), cut);
        ASSERT_FALSE(World(storage).loaded()) << "cut at " << cut;
    }
}

// A recording made by one build must replay identically in another: the
// replay lands on the live game's bits every frame and on the expected result.
TEST_P(ShippedLevel, ReplaysTheRecordedGameBitForBit)
{
    LogCapture log;
    TempDir dir;
    const std::string file = dir.file(GetParam() + ".rec");
    const std::vector<std::vector<unsigned char>> live = recording_helpers::record_game(
        recording_helpers::shipped_level(GetParam()), solution(GetParam()), file);

    PlaybackWorld playback(file, false);
    ASSERT_EQ(playback.refusal(), "");
    ASSERT_EQ(playback.frames.size(), live.size());
    for (std::size_t i = 0; i < live.size(); ++i) {
        playback.paused = true;
        playback.step_once = true;
        double dt = 0.0;
        playback.update(dt);
        ASSERT_EQ(recording_helpers::record_of(playback), live[i]) << "the replay leaves the game at frame " << i;
    }
    PlaybackWorld again(file, false);
    EXPECT_EQ(result_line(replay_world(again, 0)), expected_result(GetParam()));
}

// Past the first three, a level must need thought: no blind player wins it.
// Its plan, when it has one, still writes its script.
TEST_P(ShippedLevel, BlindPlayersLoseAndThePlanStillWritesTheScript)
{
    LogCapture log;
    TempDir dir;
    const std::string file = dir.file(GetParam() + ".lev");
    {
        OutFileStorage out(file);
        build(GetParam())->save(out);
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
