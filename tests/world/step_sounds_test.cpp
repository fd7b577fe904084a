#include <algorithm>
#include <string>
#include <vector>

#include "support/log_capture.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"
#include "world/step_sounds.hpp"

using namespace recording_helpers;

namespace {

// Every frame's effects, as names with their gains, for comparing games.
using Heard = std::vector<std::vector<std::string>>;

std::vector<std::string> names_of(const World& world)
{
    std::vector<Cue> cues;
    step_cues(world.report, 1, cues);
    std::vector<std::string> names;
    for (const Cue& cue : cues)
        names.push_back(std::string(effect_name(cue.effect)) + "@" + std::to_string(cue.gain));
    return names;
}

Heard play(World& world, const InputScript& script, int frames = 0)
{
    Heard heard;
    RunOptions options;
    options.frames = frames;
    options.after_step = [&](int, const World& w) { heard.push_back(names_of(w)); };
    run_world(world, script, options);
    return heard;
}

// The first frame that plays an effect whose name starts with `prefix`; -1 if none.
int first(const Heard& heard, const std::string& prefix)
{
    for (std::size_t f = 0; f < heard.size(); ++f)
        for (const std::string& name : heard[f])
            if (name.starts_with(prefix))
                return static_cast<int>(f);
    return -1;
}

int count(const Heard& heard, const std::string& prefix)
{
    int n = 0;
    for (const auto& frame : heard)
        n += static_cast<int>(std::count_if(frame.begin(), frame.end(), [&](const std::string& s) {
            return s.starts_with(prefix);
        }));
    return n;
}

}  // namespace

// That a replay is heard as the game it records is checked end to end; a
// seek and fast forward are silent.
TEST(StepSounds, SeekingAndFastForwardAreSilent)
{
    LogCapture log;
    TempDir dir;
    const std::string file = dir.file("Slice.rec");
    record_game(shipped_level("Slice"), solution("Slice"), file);
    PlaybackWorld playback(file, false);
    ASSERT_EQ(playback.refusal(), "");
    double dt = 0.016;
    playback.update(dt);
    EXPECT_EQ(playback.loudness, 1.0f);
    playback.seek_target = 30;
    playback.update(dt);
    EXPECT_EQ(playback.loudness, 0.0f);
    playback.fast_forward = true;
    playback.update(dt);
    EXPECT_EQ(playback.loudness, 0.0f);
    std::vector<Cue> cues;
    step_cues(playback.report, playback.loudness, cues);
    EXPECT_TRUE(cues.empty());
}

TEST(StepSounds, TheLastSecondsOfACountdownTick)
{
    LogCapture log;
    // Left alone, a countdown of five seconds ticks at 4, 3, 2 and 1 and then
    // runs out.
    const Heard alone = play(*shipped_world("Hurry"), InputScript{}, 1000);
    EXPECT_EQ(count(alone, "countdown"), 4);
    EXPECT_EQ(first(alone, "time_out"), static_cast<int>(alone.size()) - 1);
    EXPECT_EQ(count(alone, "enter_") + count(alone, "win"), 0);
}
