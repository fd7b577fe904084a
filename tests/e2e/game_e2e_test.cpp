#include <csignal>
#include <cstring>
#include <link.h>
#include <memory>

#include "e2e/e2e_support.hpp"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

// The personal best a player file holds for `key`: the time stored right
// after the key's length and bytes. -1 when the key is not there.
double personal_best_in(const std::string& player_file, const std::string& key)
{
    std::string needle(4, '\0');
    const auto length = static_cast<std::uint32_t>(key.size());
    std::memcpy(needle.data(), &length, 4);
    needle += key;
    const std::size_t at = player_file.find(needle);
    if (at == std::string::npos || at + needle.size() + 8 > player_file.size())
        return -1;
    double time = 0;
    std::memcpy(&time, player_file.data() + at + needle.size(), 8);
    return time;
}

// Mesa's software driver is unloaded when SDL closes the display at exit,
// and the memory it still holds is then reported as leaked from nowhere.
// Loaded from the start it stays until the end, where its memory is
// reachable. The sanitizer runtime the tests were built with must come
// first; outside the sanitizer build there is none, and nothing to preload.
std::string keep_gl_driver_loaded()
{
    std::string runtime;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out) {
            if (info->dlpi_name && std::strstr(info->dlpi_name, "libasan"))
                *static_cast<std::string*>(out) = info->dlpi_name;
            return 0;
        },
        &runtime);
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib64/dri", "/usr/lib/dri"})
        if (const fs::path driver = fs::path(folder) / "swrast_dri.so"; !runtime.empty() && fs::exists(driver))
            return runtime + ":" + driver.string();
    return "";
}

}  // namespace

using GameEndToEnd = FreshGame;

// A player's whole story with the real game: the first level won, the game
// killed on the win menu with its result already on disk; then, started
// again, every screen made and destroyed: the result's replay, a seek, Perfect
// Mode's take-over, the editor, and a clean quit. In the sanitizer build the
// second run has the leak checker on at exit, so that it also proves the game
// frees (or keeps reachable) all it made.
TEST_F(GameEndToEnd, WinsKeepsTheResultThroughAForcedQuitThenReplaysTakesOverEditsAndQuitsClean)
{
    auto started = std::make_unique<GameProcess>(display, std::vector<std::string>{}, folder.path());
    ASSERT_TRUE(window_up(*started)) << started->err();

    // Any key shows the opening menu, with "Play" selected; "Unlock
    // Everything" above it (for Perfect Mode and the editor later); back to
    // "Play", the first level of the list, its welcome screen.
    press(display, {"Right"}, 1.5);
    press(display, {"Up", "Up", "u", "Down", "Down"});
    press(display, {"space"}, 1.5);
    press(display, {"space"}, 1.5);
    ASSERT_TRUE(started->running()) << started->err();
    const std::vector<fs::path> kept = win_first_level(display, *started, folder.file("recordings"), "e2e_level.png");
    ASSERT_EQ(kept.size(), 1u) << started->out() << started->err();
    const std::string name = kept[0].filename().string();
    ASSERT_TRUE(name.starts_with("R-Slice.Player.") && name.ends_with(".rec")) << name;
    const double time = std::stod(name.substr(std::strlen("R-Slice.Player."), name.size() - 19));
    pause_for(1.0);
    EXPECT_TRUE(screenshot(display, "e2e_win_menu.png"));

    // Killed on the win menu, the game has already written the result and
    // the unlock; a new start finds them.
    started->send_signal(SIGKILL);
    EXPECT_EQ(started->wait_exit(), 128 + SIGKILL);
    const auto check_files = [&] {
        const std::string scores = read_text(folder.file("highscores.list"));
        EXPECT_NE(scores.find("R-Slice"), std::string::npos);
        EXPECT_NE(scores.find("Player"), std::string::npos);
        const std::string player = read_text(folder.file("playerinfo/Player.player"));
        // The name shows the time cut to whole milliseconds; a time such as
        // 1.442, held as 1.44199999…, is named 1.441.
        const double best = personal_best_in(player, "R-Slice");
        EXPECT_GE(best, time - 1e-9);
        EXPECT_LE(best, time + 0.001 + 1e-9);
        // After the magic number, the count of locked keys: none.
        EXPECT_EQ(player.substr(4, 4), std::string(4, '\0'));
    };
    check_files();
    // For the game only, not for the tools that drive it. X11 keeps memory
    // of its own until the process ends; only system libraries are named in
    // the suppressions, never the game's code.
    started = std::make_unique<GameProcess>(
        display, std::vector<std::string>{}, folder.path(), game_binary,
        std::vector<std::string>{"LD_PRELOAD=" + keep_gl_driver_loaded(), "ASAN_OPTIONS=detect_leaks=1:halt_on_error=1",
                                 "LSAN_OPTIONS=suppressions=" + (source_root / "tests/e2e/lsan.supp").string() +
                                     ":print_suppressions=0",
                                 "UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1"});
    GameProcess& game = *started;
    ASSERT_TRUE(window_up(game)) << game.err();

    // The opening menu, its high scores, the one entry: its replay, started
    // with the play button.
    press(display, {"Right"}, 1.5);
    press(display, {"Down", "Down", "Down", "space"}, 1.5);
    press(display, {"space"}, 1.5);
    press(display, {"Down", "Down", "Down", "Down", "space"}, 1.5);
    // Seek: the pointer into the bottom left corner, then up onto the time
    // line (y -0.75) at its middle, and a click there.
    xdotool(display, {"mousemove_relative", "--", "-1200", "600", "sleep", "0.3"});
    xdotool(display, {"mousemove_relative", "--", "511", "-96", "sleep", "0.3", "click", "1", "sleep", "1.5"});
    EXPECT_TRUE(screenshot(display, "e2e_session_seek.png"));
    ASSERT_TRUE(game.running()) << game.err();
    // "Quit" sits just before the time line.
    press(display, {"Up", "space"}, 1.5);

    // Perfect Mode: the recording list, the recording, take over at once.
    press(display, {"Down", "space"});
    press(display, {"space"}, 1.5);
    press(display, {"Down", "space"}, 1.5);
    EXPECT_TRUE(screenshot(display, "e2e_session_take_over.png"));
    ASSERT_TRUE(game.running()) << game.err();
    // Escape brings the playback screen back over the taken-over game; its
    // "Quit" is second from the end.
    press(display, {"Escape"});
    press(display, {"Up", "Up", "space"}, 1.5);

    // The editor: a new level named "session", a square, the file menu, Save.
    press(display, {"Down", "Down", "space"});
    press(display, {"space"}, 1.5);
    press(display, {"s", "e", "s", "s", "i", "o", "n", "Down", "space"}, 1.0, 150);
    keys(display, {"p", "f"}, 200);
    keys(display, {"Down", "space"}, 150);
    EXPECT_TRUE(wait_for_file(folder.file("userlevels/session.lev"), 10)) << game.out() << game.err();
    press(display, {"Escape", "Escape"});
    EXPECT_TRUE(screenshot(display, "e2e_session_editor.png"));
    ASSERT_TRUE(game.running()) << game.err();

    xdotool(display, {"key", "alt+F4"});
    EXPECT_EQ(game.wait_exit(60), 0) << game.err();
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error", "SUMMARY:"})
        EXPECT_EQ(game.err().find(report), std::string::npos) << game.err();
    EXPECT_NE(game.out().find("Writing high scores to disk"), std::string::npos) << game.out();
    check_files();
    // The kept recording replays to a win in the time its name gives.
    int rc = -1;
    const std::string verify = shell("cd " + folder.path() + " && " + tool_binary + " replay --verify recordings", rc);
    EXPECT_EQ(rc, 0) << verify;
}
