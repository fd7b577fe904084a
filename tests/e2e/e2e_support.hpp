#pragma once

// What the end-to-end tests share besides the X server, the game process and
// shell commands: key presses, screenshots and fresh copies of the game folder.

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "support/game_process.hpp"
#include "support/test_support.hpp"

namespace e2e {

namespace fs = std::filesystem;

// Screenshots go into the build folder, for looking at.
inline const fs::path shots = fs::path(game_dir).parent_path();

inline void pause_for(double seconds)
{
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

inline bool wait_for_file(const fs::path& path, double seconds)
{
    return poll_until(seconds, [&] { return fs::exists(path); });
}

// Waits for the game's window, then a moment more: keys sent before the
// window has the input focus are lost. False when no window came.
inline bool window_up(GameProcess& game, double settle = 1.5)
{
    const bool up = !game.wait_for_window().empty();
    pause_for(up ? settle : 0);
    return up;
}

// Key presses by xdotool name, `delay_ms` apart.
inline void keys(const PrivateDisplay& display, std::vector<std::string> names, int delay_ms = 400)
{
    names.insert(names.begin(), {"key", "--delay", std::to_string(delay_ms)});
    xdotool(display, names);
}

// Key presses, then a pause for the screen they open: under load a key sent
// while a screen is being built can be lost.
inline void press(const PrivateDisplay& display, std::vector<std::string> names, double settle = 1.0,
                  int delay_ms = 400)
{
    keys(display, std::move(names), delay_ms);
    pause_for(settle);
}

// One long swing of the mouse: moves of `dx` pixels about a frame apart, so
// that the sword gathers speed.
inline void swing(const PrivateDisplay& display, int dx)
{
    std::vector<std::string> args;
    for (int i = 0; i < 40; ++i)
        args.insert(args.end(), {"mousemove_relative", "--", std::to_string(dx), "0", "sleep", "0.02"});
    xdotool(display, args);
}

// The finished files in `folder` that end in `ending` (a file being written
// is "NAME.tmp" until it is complete).
inline std::vector<fs::path> files_ending(const fs::path& folder, const std::string& ending)
{
    std::vector<fs::path> found;
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(folder, ignored))
        if (entry.path().string().ends_with(ending))
            found.push_back(entry.path());
    return found;
}

// The game's window area of the X screen.
inline bool screenshot(const PrivateDisplay& display, const std::string& name)
{
    int rc = -1;
    shell("import -window root -crop 1023x768+0+0 -display " + display.name() + " " + (shots / name).string(), rc);
    return rc == 0;
}

// From the first level's welcome screen: swings through the plank's stem,
// back and forth, until the win keeps a recording in `recordings`. A click
// first: it is "Begin" while the welcome screen is up (a slow machine may
// still be showing it) and only blunts the sword for a moment in the game.
// Returns the recordings; the first swing may be caught in a screenshot.
inline std::vector<fs::path> win_first_level(const PrivateDisplay& display, GameProcess& game,
                                             const fs::path& recordings, const std::string& first_swing_shot = {})
{
    for (int attempt = 0; attempt < 10 && files_ending(recordings, ".rec").empty() && game.running(); ++attempt) {
        xdotool(display, {"click", "1"});
        swing(display, attempt % 2 == 0 ? 60 : -60);
        if (attempt == 0 && !first_swing_shot.empty())
            screenshot(display, first_swing_shot);
        poll_until(6, [&] { return !files_ending(recordings, ".rec").empty(); }, 0.1);
    }
    return files_ending(recordings, ".rec");
}

// The RGB bytes of a rectangle of a screenshot taken above, row by row.
inline std::vector<unsigned char> screenshot_pixels(const std::string& name, int x, int y, int w, int h)
{
    const std::string raw = (shots / (name + ".rgb")).string();
    int rc = -1;
    shell("convert " + (shots / name).string() + " -crop " + std::to_string(w) + "x" + std::to_string(h) + "+" +
              std::to_string(x) + "+" + std::to_string(y) + " +repage -depth 8 rgb:" + raw, rc);
    std::vector<unsigned char> bytes = read_file_bytes(raw);
    fs::remove(raw);
    return bytes;
}

// A copy of the game folder without recordings, player files or scores, so
// that a test starts like a new installation and the real folder stays as it is.
inline void copy_fresh_game(const fs::path& to)
{
    fs::copy(game_dir, to, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    for (const char* sub : {"recordings", "playerinfo"}) {
        fs::remove_all(to / sub);
        fs::create_directory(to / sub);
    }
    fs::remove(to / "highscores.list");
}

// A private X server and a fresh copy of the game folder for each test.
class FreshGame : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.ok()) << "Xvfb did not start";
        copy_fresh_game(folder.path());
    }

    PrivateDisplay display;
    TempDir folder;
};

// How often `part` occurs in `text`.
inline int count_of(const std::string& text, const std::string& part)
{
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size()))
        ++n;
    return n;
}

}  // namespace e2e
