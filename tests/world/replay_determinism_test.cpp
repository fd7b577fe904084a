#include <gtest/gtest.h>

#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"

using namespace recording_helpers;

namespace {

std::vector<std::string> level_names()
{
    std::vector<std::string> names;
    std::istringstream list(read_text(source_root / "data" / "levels" / "levels.list"));
    for (std::string line; std::getline(list, line);)
        if (line != "---" && !line.empty())
            names.push_back(line);
    return names;
}

class ReplayOfShippedLevel : public testing::TestWithParam<std::string> {};

}  // namespace

// The expected line of every script was made by the release build; a replay in
// any build must land on those bits, which is what makes a recording made by
// one build replay identically in another.
TEST_P(ReplayOfShippedLevel, ReplaysTheRecordedGameBitForBit)
{
    LogCapture log;
    TempDir dir;
    const std::filesystem::path script_file = source_root / "tests" / "levels" / (GetParam() + ".script");
    const std::string text = read_text(script_file);
    const InputScript script = parse_script(text);
    const std::string expected = text.substr(10, text.find('\n') - 10);
    ASSERT_EQ(text.substr(0, 10), "# expect: ");

    const std::string file = dir.file(GetParam() + ".rec");
    const std::vector<std::vector<unsigned char>> live = record_game(shipped_level(GetParam()), script, file);

    PlaybackWorld playback(file, false);
    ASSERT_EQ(playback.refusal(), "");
    ASSERT_EQ(playback.frames.size(), live.size());
    for (std::size_t i = 0; i < live.size(); ++i) {
        playback.paused = true;
        playback.step_once = true;
        double dt = 0.0;
        playback.update(dt);
        ASSERT_EQ(record_of(playback), live[i]) << "the replay leaves the game at frame " << i;
    }

    PlaybackWorld again(file, false);
    EXPECT_EQ(result_line(replay_world(again, 0)), expected);
}

INSTANTIATE_TEST_SUITE_P(Levels, ReplayOfShippedLevel, testing::ValuesIn(level_names()),
                         [](const testing::TestParamInfo<std::string>& level) { return level.param; });
