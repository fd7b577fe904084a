#include <csignal>

#include "e2e/e2e_support.hpp"

namespace {

constexpr const char* destructors_line = "Global destructors should run after this line . . .\n";

using ShellEndToEnd = e2e::FreshGame;

}  // namespace

TEST_F(ShellEndToEnd, OpensAPlainWindowOnASoftwareRendererAndEscapeReachesTheScreen)
{
    GameProcess game(display);
    const std::string window = game.wait_for_window();
    ASSERT_FALSE(window.empty()) << game.err();
    const std::string geometry = xdotool(display, {"getwindowgeometry", window});
    EXPECT_NE(geometry.find("Geometry: 1023x768"), std::string::npos) << geometry;
    // Xvfb draws with Mesa's llvmpipe, which would offer 4 samples at four
    // times the cost: the game asks for none and tries no other count.
    EXPECT_NE(game.err().find("Software renderer (llvmpipe"), std::string::npos) << game.err();
    EXPECT_EQ(game.err().find("Couldn't make video mode"), std::string::npos) << game.err();
    // The opening menu starts hidden: the first press shows it, the second
    // selects its last item, the scroll handle, Up selects "Quit" above it,
    // and Escape activates that: the screen ends the loop.
    xdotool(display, {"key", "Escape", "Escape", "Up", "Escape"});
    EXPECT_EQ(game.wait_exit(), 0);
    EXPECT_NE(game.out().find(destructors_line), std::string::npos) << game.out();
}

TEST_F(ShellEndToEnd, EveryWayOfQuittingLeavesAtOnceAndWritesTheResults)
{
    // The close button, SIGTERM and SIGINT all reach the game as SDL's quit
    // event; each must take the same exit as Alt+F4, also after full screen
    // was switched off and on again.
    for (const char* how : {"alt+F4", "alt+Escape", "SIGTERM", "SIGINT", "full"}) {
        TempDir fresh;
        e2e::copy_fresh_game(fresh.path());
        const std::string name = how;
        GameProcess game(display, name == "full" ? std::vector<std::string>{"full"} : std::vector<std::string>{},
                         fresh.path());
        ASSERT_FALSE(game.wait_for_window().empty()) << game.err();
        if (name == "SIGTERM" || name == "SIGINT")
            game.send_signal(name == "SIGTERM" ? SIGTERM : SIGINT);
        else if (name == "full")
            xdotool(display, {"key", "--delay", "500", "alt+Return", "alt+Return", "alt+F4"});
        else
            xdotool(display, {"key", how});
        EXPECT_EQ(game.wait_exit(5), 0) << how << ": " << game.err();
        EXPECT_EQ(game.err().find("Unable to set video mode"), std::string::npos) << how << ": " << game.err();
        EXPECT_EQ(game.out().find(destructors_line), std::string::npos) << how << ": quits without finishing the frame";
        EXPECT_NE(game.out().find("Writing high scores to disk\nDone\nTrying to dump player info...\n"),
                  std::string::npos)
            << how << ": " << game.out();
        EXPECT_TRUE(e2e::fs::exists(fresh.file("highscores.list"))) << how;
    }
}

// No X server there: the game must say why and stop, not hang; --help and
// --version answer without trying to open a window.
TEST(ShellWithoutDisplay, FailsWithSdlsMessageButAnswersHelpAndVersion)
{
    int rc = -1;
    const std::string run = std::string("cd ") + game_dir + " && DISPLAY=:59999 " + game_binary;
    const std::string output = shell(run, rc);
    EXPECT_NE(output.find("Unable to init SDL: "), std::string::npos) << output;
    EXPECT_EQ(rc, 1) << output;
    const std::string help = shell(run + " --help", rc);
    EXPECT_EQ(rc, 0) << help;
    EXPECT_TRUE(help.starts_with("usage: slivermere")) << help;
    // The build's own copy uses the folder it is started in.
    EXPECT_NE(help.find("not installed"), std::string::npos) << help;
    const std::string version = shell(run + " --version", rc);
    EXPECT_EQ(rc, 0) << version;
    EXPECT_TRUE(version.starts_with("slivermere 1.")) << version;
}
