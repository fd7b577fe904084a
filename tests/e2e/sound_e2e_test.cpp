#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "e2e/e2e_support.hpp"
#include "support/game_process.hpp"
#include "support/test_support.hpp"

using namespace e2e;

namespace {

constexpr int rate = 22050;

struct HeardCue {
    int ms = 0;  // the game's time at the end of the frame that played it
    std::string name;
};

// The largest sample magnitude in each 10 ms of the mixed output.
std::vector<int> peaks_of(const std::vector<unsigned char>& raw)
{
    const std::size_t window = rate / 100;
    std::vector<int> peaks;
    for (std::size_t at = 0; at + 2 * window <= raw.size(); at += 2 * window) {
        int peak = 0;
        for (std::size_t i = at; i < at + 2 * window; i += 2) {
            const auto s = static_cast<std::int16_t>(raw[i] | raw[i + 1] << 8);
            peak = std::max(peak, std::abs(static_cast<int>(s)));
        }
        peaks.push_back(peak);
    }
    return peaks;
}

// The first 10 ms window from `from` on that is louder than `threshold`; -1 if none.
int first_loud(const std::vector<int>& peaks, int from, int to, int threshold)
{
    for (int w = std::max(from, 0); w < std::min(to, static_cast<int>(peaks.size())); ++w)
        if (peaks[static_cast<std::size_t>(w)] > threshold)
            return w;
    return -1;
}

}  // namespace

// The game's opening demo becomes a shipped level's winning game, made from
// its script by the tool, which also tells at which frames the game is heard.
// SDL's disk driver writes what the game mixes: silent until the blade bites,
// loud at the cut, the goal and the win; the demo's next loop, a replay of
// the same recording, is heard at the same moments.
TEST(SoundEndToEnd, TheDiskDriverHearsTheGameAtItsFramesAndTheReplayTheSame)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    TempDir folder;
    copy_fresh_game(folder.path());
    // A second of stillness first, then the winning game of Slice.
    std::string script;
    for (int i = 0; i < 60; ++i)
        script += "16\n";
    script += read_text(source_root / "tests" / "levels" / "Slice.script");
    std::ofstream(folder.file("demo.script")) << script;
    std::ofstream(folder.file("settings.txt")) << "volume 100\nmuted no\n";
    int rc = -1;
    const std::string listing =
        shell("cd " + folder.path() + " && " SLIVERMERE_TOOL_BINARY
              " run levels/Slice.lev --input demo.script --record opening.rec --sounds --quiet",
              rc);
    ASSERT_EQ(rc, 0) << listing;
    std::vector<HeardCue> cues;
    std::istringstream lines(listing);
    for (std::string word; lines >> word;) {
        if (word != "sound")
            continue;
        HeardCue cue;
        int frame = 0;
        double gain = 0;
        lines >> frame >> cue.ms >> cue.name >> gain;
        cues.push_back(cue);
    }
    const auto at = [&](const std::string& prefix) {
        for (const HeardCue& cue : cues)
            if (cue.name.starts_with(prefix))
                return cue.ms;
        return -1;
    };
    const int cut_ms = at("enter_"), goal_ms = at("goal"), win_ms = at("win");
    ASSERT_GT(cut_ms, 1000) << listing;
    ASSERT_GT(goal_ms, cut_ms) << listing;
    ASSERT_GE(win_ms, goal_ms) << listing;

    const std::string raw_file = folder.file("mixed.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw_file.c_str(), 1);
    // SDL waits this long between buffers of 512 samples (23.2 ms): about real time.
    setenv("SDL_DISKAUDIODELAY", "23", 1);
    GameProcess game(display, {}, folder.path());
    unsetenv("SDL_AUDIODRIVER");
    unsetenv("SDL_DISKAUDIOFILE");
    unsetenv("SDL_DISKAUDIODELAY");
    ASSERT_FALSE(game.wait_for_window().empty()) << game.err();
    pause_for(2.0 + 2.5 * win_ms / 1000.0);
    game.send_signal(SIGTERM);
    ASSERT_EQ(game.wait_exit(), 0) << game.err();
    EXPECT_EQ(game.err().find("No sound"), std::string::npos) << game.err();

    const std::vector<int> peaks = peaks_of(read_file_bytes(raw_file));
    ASSERT_GT(peaks.size(), static_cast<std::size_t>(2 * win_ms / 10)) << "too little sound was written";
    // Louder than the swing can be, quieter than any cut: the demo plays at
    // 0.3 behind its menu, a cut at least at half of an effect's peak.
    const int threshold = static_cast<int>(0.4 * 0.3 * 0.6 * 32767);
    const int tolerance = 25;  // windows of 10 ms

    std::vector<int> heard_at[2];
    int onset = first_loud(peaks, 0, static_cast<int>(peaks.size()), threshold);
    for (int loop = 0; loop < 2; ++loop) {
        SCOPED_TRACE("loop " + std::to_string(loop));
        ASSERT_GE(onset, 0) << "nothing loud was heard";
        if (loop == 0) {
            // A second of stillness, and then the swing alone, before the cut.
            EXPECT_GE(onset * 10, cut_ms - tolerance * 10);
            for (int w = 0; w < onset - (cut_ms - 1000) / 10 - tolerance; ++w)
                ASSERT_LT(peaks[static_cast<std::size_t>(w)], 100) << "sound in the still second, at " << w * 10 << " ms";
        }
        // The cut is the onset; the goal and the win follow as the frames say.
        for (const int ms : {goal_ms, win_ms}) {
            const int expected = onset + (ms - cut_ms) / 10;
            const int found = first_loud(peaks, expected - tolerance, expected + 2 * tolerance, threshold);
            EXPECT_GE(found, 0) << "nothing loud near " << expected * 10 << " ms";
            heard_at[loop].push_back(found - onset);
        }
        // The next loop's cut, after the still second of the replay.
        onset = first_loud(peaks, onset + (win_ms - cut_ms) / 10 + 100, static_cast<int>(peaks.size()), threshold);
        if (loop == 0 && onset < 0)
            FAIL() << "the replay was not heard";
    }
    for (std::size_t i = 0; i < heard_at[0].size(); ++i)
        EXPECT_NEAR(heard_at[0][i], heard_at[1][i], 10) << "the replay's event " << i << " moved";
}
