#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "e2e/e2e_support.hpp"

using namespace e2e;

namespace {

constexpr int rate = 22050;

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

// The windows louder than `threshold` after at least 150 ms that were not.
std::vector<int> onsets_of(const std::vector<int>& peaks, int threshold)
{
    std::vector<int> onsets;
    int quiet = 15;
    for (std::size_t w = 0; w < peaks.size(); ++w) {
        if (peaks[w] > threshold && quiet >= 15)
            onsets.push_back(static_cast<int>(w));
        quiet = peaks[w] > threshold ? 0 : quiet + 1;
    }
    return onsets;
}

}  // namespace

using SoundEndToEnd = FreshGame;

// The game's opening demo becomes a shipped level's winning game, made from
// its script by the tool, which also tells at which frames the game is heard.
// SDL's disk driver writes what the game mixes: silent until the blade bites,
// loud at the cut, the goal and the win; the demo's next loop, a replay of
// the same recording, is heard at the same moments. 'M' silences it.
TEST_F(SoundEndToEnd, TheDiskDriverHearsTheGameAtItsFramesTheReplayTheSameAndMIsSilence)
{
    // A second of stillness first, then the winning game of Slice.
    std::string script;
    for (int i = 0; i < 60; ++i)
        script += "16\n";
    script += read_text(source_root / "tests" / "levels" / "Slice.script");
    std::ofstream(folder.file("demo.script")) << script;
    std::ofstream(folder.file("settings.txt")) << "volume 100\nmuted no\n";
    int rc = -1;
    const std::string listing =
        shell("cd " + folder.path() + " && " + tool_binary +
                  " run levels/Slice.lev --input demo.script --record opening.rec --sounds --quiet",
              rc);
    ASSERT_EQ(rc, 0) << listing;
    // The game's time at the end of the frame that first played a sound
    // whose name starts with `prefix`: "sound FRAME MS NAME GAIN" lines.
    const auto at = [&](const std::string& prefix) {
        std::istringstream lines(listing);
        for (std::string word, name; lines >> word;) {
            int frame = 0, ms = -1;
            if (word == "sound" && lines >> frame >> ms >> name && name.starts_with(prefix))
                return ms;
        }
        return -1;
    };
    const int cut_ms = at("enter_"), goal_ms = at("goal"), win_ms = at("win");
    ASSERT_GT(cut_ms, 1000) << listing;
    ASSERT_GT(goal_ms, cut_ms) << listing;
    ASSERT_GE(win_ms, goal_ms) << listing;

    const std::string raw_file = folder.file("mixed.raw");
    // SDL waits this long between buffers of 512 samples (23.2 ms): about real time.
    GameProcess game(display, {}, folder.path(), game_binary,
                     {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + raw_file, "SDL_DISKAUDIODELAY=23"});
    ASSERT_FALSE(game.wait_for_window().empty()) << game.err();
    // Louder than the swing can be, quieter than any cut: the demo plays at
    // 0.3 behind its menu, a cut at least at half of an effect's peak.
    const int threshold = static_cast<int>(0.4 * 0.3 * 0.6 * 32767);
    // Three loops of the demo, however slowly a busy machine gets there.
    poll_until(30, [&] { return onsets_of(peaks_of(read_file_bytes(raw_file)), threshold).size() >= 6; }, 0.5);
    pause_for(0.5);

    // 'M' (once the menu shows) mutes: the setting is written, and from
    // then on the demo goes on without a sound.
    keys(display, {"Right"});
    pause_for(0.5);
    keys(display, {"m"});
    pause_for(0.5);
    const std::size_t muted_from = read_file_bytes(raw_file).size();
    EXPECT_NE(read_text(folder.file("settings.txt")).find("muted yes"), std::string::npos);
    pause_for(1.0 + win_ms / 1000.0);
    game.send_signal(SIGTERM);
    ASSERT_EQ(game.wait_exit(), 0) << game.err();
    EXPECT_EQ(game.err().find("No sound"), std::string::npos) << game.err();

    const std::vector<unsigned char> raw = read_file_bytes(raw_file);
    const std::vector<int> after_mute = peaks_of({raw.begin() + static_cast<std::ptrdiff_t>(muted_from), raw.end()});
    EXPECT_GT(after_mute.size(), 100u);
    EXPECT_EQ(*std::max_element(after_mute.begin(), after_mute.end()), 0) << "sound after muting";
    const std::vector<int> peaks = peaks_of({raw.begin(), raw.begin() + static_cast<std::ptrdiff_t>(muted_from)});
    const std::vector<int> onsets = onsets_of(peaks, threshold);
    // The cut (with the split a frame later), then the goal and the win, in
    // every loop of the demo.
    ASSERT_GE(onsets.size(), 6u) << "three loops of a cut and a win";

    // The still second is silent; the swing alone comes before the cut.
    const auto audible = std::find_if(peaks.begin(), peaks.end(), [](int peak) { return peak > 100; });
    const int first_sound = static_cast<int>(audible - peaks.begin());
    EXPECT_GE(first_sound, 75) << "sound in the still second";
    EXPECT_LT(first_sound, onsets[0]);

    // The win follows the cut as the frames say; a busy machine may play the
    // game slower than the sound's clock (a slow frame is at most 33 ms of
    // the game), never faster. Each loop of the demo replays the same
    // recording and is heard alike: the same events, as loud.
    const int expected = (win_ms - cut_ms) / 10;
    const auto loudest_from = [&](int onset) {
        return *std::max_element(peaks.begin() + onset, peaks.begin() + std::min<int>(onset + 10, peaks.size()));
    };
    for (std::size_t k = 0; k < 3; ++k) {
        SCOPED_TRACE("loop " + std::to_string(k));
        const int cut = onsets[2 * k], win = onsets[2 * k + 1];
        EXPECT_GE(win - cut, expected - 10);
        EXPECT_LE(win - cut, 3 * expected + 50);
        if (k + 1 < 3) {
            EXPECT_GE(onsets[2 * k + 2] - cut, win_ms / 10 - 30) << "a loop of the demo lasts its game";
            EXPECT_LE(onsets[2 * k + 2] - cut, 3 * win_ms / 10 + 100);
        }
        if (k > 0) {
            EXPECT_NEAR(loudest_from(cut), loudest_from(onsets[0]), 0.35 * loudest_from(onsets[0]));
            EXPECT_NEAR(loudest_from(win), loudest_from(onsets[1]), 0.35 * loudest_from(onsets[1]));
        }
    }
}
