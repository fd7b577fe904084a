#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_support.hpp"
#include "support/game_process.hpp"

using namespace e2e;

TEST(EditorEndToEnd, MakesAPolygonAndSavesALoadableLevel)
{
    const std::string game_dir = SLIVERMERE_GAME_DIR;
    const std::string level = game_dir + "/userlevels/e2eeditor.lev";
    const std::string player = game_dir + "/playerinfo/editorbot.player";
    std::filesystem::remove(level);
    std::filesystem::remove(player);

    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    GameProcess game(display);
    ASSERT_FALSE(game.wait_for_window().empty()) << game.err();
    // Keys sent before the window has the input focus are lost.
    pause_for(1.5);
    auto keys = [&](std::vector<std::string> names) { e2e::keys(display, std::move(names), 120); };

    // Show the opening menu ("Play" selected), name a fresh player so that
    // no one else's progress changes, and unlock the editor for it.
    keys({"Right", "Up"});
    keys({"BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace"});
    keys({"e", "d", "i", "t", "o", "r", "b", "o", "t", "Up", "u"});
    // "Level Editor", then "New Level".
    keys({"Down", "Down", "Down", "Down", "space", "space"});
    // A movable square at the cursor; the file menu; the file name
    // "userlevels/default.lev" becomes "userlevels/e2eeditor.lev"; Save.
    keys({"p", "f"});
    keys(std::vector<std::string>(11, "BackSpace"));
    keys({"e", "2", "e", "e", "d", "i", "t", "o", "r", "period", "l", "e", "v", "Down", "space"});
    EXPECT_TRUE(wait_for_file(level, 10)) << game.out() << game.err();

    // Back to editing and out.
    keys({"Escape", "Escape"});
    xdotool(display, {"key", "alt+F4"});
    EXPECT_EQ(game.wait_exit(), 0) << game.err();

    int rc = -1;
    const std::string dump = shell("cd " + game_dir + " && " + tool_path() + " level dump userlevels/e2eeditor.lev", rc);
    EXPECT_EQ(rc, 0) << dump;
    EXPECT_NE(dump.find("body"), std::string::npos) << dump;
    EXPECT_EQ(dump.find("wall"), std::string::npos) << dump;
    std::filesystem::remove(level);
    std::filesystem::remove(player);
}
