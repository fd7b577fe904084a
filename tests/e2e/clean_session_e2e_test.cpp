#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <link.h>
#include <memory>
#include <string>
#include <vector>

#include "e2e/e2e_support.hpp"
#include "support/game_process.hpp"
#include "support/test_support.hpp"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

// Sets environment variables for the processes started while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const std::string& value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old, had_ = true;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv()
    {
        if (had_)
            setenv(name_, old_.c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

// The sanitizer runtime the tests were built with: empty outside the sanitizer build.
std::string sanitizer_runtime()
{
    std::string found;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* out) {
            const std::string name = info->dlpi_name ? info->dlpi_name : "";
            if (name.find("libasan") != std::string::npos)
                *static_cast<std::string*>(out) = name;
            return 0;
        },
        &found);
    return found;
}

// Mesa's software driver is unloaded when SDL closes the display at exit,
// and the memory it still holds is then reported as leaked from nowhere.
// Loaded from the start it stays until the end, where its memory is
// reachable. The sanitizer runtime must come first.
std::string keep_gl_driver_loaded()
{
    const std::string runtime = sanitizer_runtime();
    if (runtime.empty())
        return "";
    for (const char* folder : {"/usr/lib/x86_64-linux-gnu/dri", "/usr/lib64/dri", "/usr/lib/dri"})
        if (const fs::path driver = fs::path(folder) / "swrast_dri.so"; fs::exists(driver))
            return runtime + ":" + driver.string();
    return "";
}

std::vector<fs::path> recordings_in(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() == ".rec")
            found.push_back(entry.path());
    return found;
}

}  // namespace

// One whole session of the real game: every screen made and destroyed, every
// cache filled. In the sanitizer build it runs with the leak checker on at
// exit, so that it also proves the game frees (or keeps reachable) all it made.
TEST(CleanSession, PlaysReplaysTakesOverEditsAndQuitsWithoutAFault)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    TempDir folder;
    copy_fresh_game(folder.path());
    const fs::path recordings = folder.path() + "/recordings";

    std::unique_ptr<GameProcess> started;
    {
        // For the game only, not for the tools that drive it. X11 keeps memory
        // of its own until the process ends; only system libraries are named
        // in the suppressions, never the game's code.
        const std::string suppressions = (source_root / "tests/e2e/lsan.supp").string();
        ScopedEnv preload("LD_PRELOAD", keep_gl_driver_loaded());
        ScopedEnv asan("ASAN_OPTIONS", "detect_leaks=1:halt_on_error=1");
        ScopedEnv lsan("LSAN_OPTIONS", "suppressions=" + suppressions + ":print_suppressions=0");
        ScopedEnv ubsan("UBSAN_OPTIONS", "halt_on_error=1:print_stacktrace=1");
        started = std::make_unique<GameProcess>(display, std::vector<std::string>{}, folder.path());
    }
    GameProcess& game = *started;
    ASSERT_FALSE(game.wait_for_window().empty()) << game.err();
    pause_for(1.5);  // keys sent before the window has the input focus are lost
    auto press = [&](std::vector<std::string> names, double settle = 1.0) {
        keys(display, std::move(names));
        pause_for(settle);
    };
    auto mouse = [&](std::vector<std::string> args) { xdotool(display, args); };

    // The opening menu; "Unlock Everything" for Perfect Mode and the editor;
    // back to "Play", the first level, its welcome screen.
    press({"Right"});
    press({"Up", "Up", "u", "Down", "Down"});
    press({"space"});
    press({"space"}, 1.5);
    // Swing through the plank's stem until the win menu keeps the recording;
    // the click is "Begin" on the welcome screen and harmless in the game.
    for (int attempt = 0; attempt < 10 && recordings_in(recordings).empty() && game.running(); ++attempt) {
        mouse({"click", "1"});
        swing(display, attempt % 2 == 0 ? 60 : -60);
        for (int wait = 0; wait < 60 && recordings_in(recordings).empty(); ++wait)
            pause_for(0.1);
    }
    ASSERT_EQ(recordings_in(recordings).size(), 1u) << game.out() << game.err();
    pause_for(1.0);
    EXPECT_TRUE(screenshot(display, "e2e_session_win.png"));

    // Win menu "Quit"; "High Scores"; the one entry; its playback, started.
    press({"Down", "Down", "space"});
    press({"Down", "Down", "Down", "space"});
    press({"space"}, 1.5);
    press({"Down", "Down", "Down", "Down", "space"});
    // Seek: the pointer into the bottom left corner, then up onto the time
    // line (y -0.75) at its middle, and a click there.
    mouse({"mousemove_relative", "--", "-1200", "600"});
    pause_for(0.3);
    mouse({"mousemove_relative", "--", "511", "-96"});
    pause_for(0.3);
    mouse({"click", "1"});
    pause_for(1.5);
    EXPECT_TRUE(screenshot(display, "e2e_session_seek.png"));
    ASSERT_TRUE(game.running()) << game.err();
    // "Quit" sits just before the time line.
    press({"Up", "space"}, 1.5);

    // Perfect Mode: the recording list, the recording, take over at once.
    press({"Down", "space"});
    press({"space"}, 1.5);
    press({"Down", "space"}, 1.5);
    EXPECT_TRUE(screenshot(display, "e2e_session_take_over.png"));
    ASSERT_TRUE(game.running()) << game.err();
    // Escape brings the playback screen back over the taken-over game; its
    // "Quit" is second from the end.
    press({"Escape"});
    press({"Up", "Up", "space"}, 1.5);

    // The editor: a new level named "session", a square, the file menu, Save.
    const fs::path level = folder.path() + "/userlevels/session.lev";
    press({"Down", "Down", "space"});
    press({"space"}, 1.5);
    keys(display, {"s", "e", "s", "s", "i", "o", "n", "Down", "space"}, 150);
    pause_for(1.0);
    keys(display, {"p", "f"}, 200);
    keys(display, {"Down", "space"}, 150);
    EXPECT_TRUE(wait_for_file(level, 10)) << game.out() << game.err();
    press({"Escape", "Escape"});
    EXPECT_TRUE(screenshot(display, "e2e_session_editor.png"));
    ASSERT_TRUE(game.running()) << game.err();

    xdotool(display, {"key", "alt+F4"});
    const int code = game.wait_exit(60);
    const std::string err = game.err();
    EXPECT_EQ(code, 0) << err;
    for (const char* report : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error", "SUMMARY:"})
        EXPECT_EQ(err.find(report), std::string::npos) << err;
    EXPECT_NE(game.out().find("Writing high scores to disk"), std::string::npos) << game.out();
}
