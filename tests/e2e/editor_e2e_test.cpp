#include "e2e/e2e_support.hpp"

using namespace e2e;

namespace {

// The level as text, or what went wrong.
std::string dump(const std::string& folder, const std::string& file)
{
    int rc = -1;
    const std::string text = shell("cd '" + folder + "' && " + tool_binary + " level dump " + file, rc);
    return rc == 0 ? text : "dump failed: " + text;
}

}  // namespace

using EditorEndToEnd = FreshGame;

// A designer's session in the real editor: a named level, undo and redo,
// Save, the question on quitting with changes, and the recovery copy a
// closed window leaves, offered on the next start.
TEST_F(EditorEndToEnd, NamedLevelsUndoAndNoLostWork)
{
    std::filesystem::remove_all(folder.path() + "/userlevels");
    const std::string level = folder.path() + "/userlevels/e2eeditor.lev";
    const std::string recovery = folder.path() + "/userlevels/e2eeditor.recovery.lev";

    const auto press = [&](std::vector<std::string> names, double settle = 0.5) {
        e2e::press(display, std::move(names), settle, 150);
    };
    // Shows the opening menu, names the player, for whom everything is
    // unlocked, and selects "Play".
    const auto log_in = [&] {
        press({"Right", "Up"});
        press({"BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace", "BackSpace"});
        press({"e", "d", "i", "t", "o", "r", "b", "o", "t", "Up", "u", "Down", "Down"});
    };
    // From the opening menu, "Play" selected: the editor's level list.
    const auto to_level_list = [&] { press({"Down", "Down", "space"}, 1.0); };

    {
        GameProcess game(display, {}, folder.path());
        ASSERT_TRUE(window_up(game)) << game.err();
        log_in();
        to_level_list();
        // "New Level" asks the name.
        press({"space"});
        press({"e", "2", "e", "e", "d", "i", "t", "o", "r", "Down", "space"}, 1.0);
        // Away from the sword's handle, a body; delete it; undo, redo, undo:
        // the body is back.
        xdotool(display, {"mousemove_relative", "--", "150", "-100"});
        pause_for(0.5);
        press({"p"});
        press({"d"});
        press({"ctrl+z", "ctrl+y", "ctrl+z"});
        // The file menu's Save writes it under its name.
        press({"f", "Down", "space"});
        EXPECT_TRUE(wait_for_file(level, 10)) << game.out() << game.err();
        // Back to editing, the editor's menu, "Quit Editor": nothing to ask.
        press({"Escape", "Escape"});
        press({"Escape", "Up", "space"}, 1.0);

        // Open it again from the list; a wall; Quit Editor asks, Cancel keeps it.
        to_level_list();
        press({"Down", "space"}, 1.0);
        press({"w"});
        press({"Escape", "Up", "space"}, 1.0);
        EXPECT_TRUE(screenshot(display, "e2e_editor_question.png"));
        press({"Escape", "Escape"});
        press({"Escape"});
        // Closing the window keeps the unsaved wall aside.
        xdotool(display, {"key", "alt+F4"});
        EXPECT_EQ(game.wait_exit(), 0) << game.err();
    }
    // What each file holds: the body, and the wall only in the recovery copy.
    for (const auto& [file, wall] :
         {std::pair{"userlevels/e2eeditor.lev", false}, {"userlevels/e2eeditor.recovery.lev", true}}) {
        const std::string text = dump(folder.path(), file);
        EXPECT_NE(text.find("body"), std::string::npos) << text;
        EXPECT_EQ(text.find("wall") != std::string::npos, wall) << text;
    }

    {
        GameProcess game(display, {}, folder.path());
        ASSERT_TRUE(window_up(game)) << game.err();
        log_in();
        to_level_list();
        // The level offers its kept changes; "Restore", then Save.
        press({"Down", "space"}, 1.0);
        EXPECT_TRUE(screenshot(display, "e2e_editor_restore.png"));
        press({"space"}, 1.0);
        press({"f", "Down", "space"});
        press({"Escape", "Escape"});
        xdotool(display, {"key", "alt+F4"});
        EXPECT_EQ(game.wait_exit(), 0) << game.err();
    }
    const std::string restored = dump(folder.path(), "userlevels/e2eeditor.lev");
    EXPECT_NE(restored.find("wall"), std::string::npos) << restored;
    EXPECT_FALSE(std::filesystem::exists(recovery)) << "saved: the copy has gone";
}
