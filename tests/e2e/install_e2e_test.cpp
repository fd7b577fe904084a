#include <map>
#include <set>
#include <sstream>

#include "e2e/e2e_support.hpp"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

// Every file and folder under `root`, with its size and time: what a run of
// the game must leave as it is.
std::map<std::string, std::string> snapshot(const fs::path& root)
{
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        std::ostringstream state;
        state << entry.is_directory() << ' ' << (entry.is_regular_file() ? entry.file_size() : 0) << ' '
              << entry.last_write_time().time_since_epoch().count();
        entries[fs::relative(entry.path(), root).string()] = state.str();
    }
    return entries;
}

}  // namespace

// The game installed into a prefix made read-only, started from an unrelated
// folder for a player whose home is a fresh folder: it finds its data beside
// itself, and what it writes lands in the player's folder and nowhere else.
TEST(Installed, WinsTheFirstLevelAndKeepsEverythingInThePlayersFolder)
{
    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    TempDir scratch;
    const fs::path prefix = scratch.file("prefix"), home = scratch.file("home"), data_home = scratch.file("data");
    const fs::path started_in = scratch.file("elsewhere");
    fs::create_directories(home);
    fs::create_directories(started_in);
    int rc = -1;
    const std::string installed =
        shell("cmake --install " + std::string(build_dir) + " --prefix " + prefix.string(), rc);
    ASSERT_EQ(rc, 0) << installed;
    EXPECT_NE(read_text(prefix / "share/applications/slivermere.desktop")
                  .find("\nExec=" + (prefix / "bin/slivermere").string() + "\n"),
              std::string::npos);
    shell("chmod -R a-w " + prefix.string(), rc);
    ASSERT_EQ(rc, 0);
    const auto before = snapshot(prefix);

    GameProcess game(display, {}, started_in.string(), (prefix / "bin/slivermere").string(),
                     {"HOME=" + home.string(), "XDG_DATA_HOME=" + data_home.string()});
    ASSERT_TRUE(window_up(game)) << game.err();
    const fs::path player_folder = data_home / "slivermere";
    EXPECT_TRUE(fs::is_directory(player_folder / "recordings")) << game.out() << game.err();

    // The opening menu, "Play", the first level, its welcome screen, a win.
    press(display, {"Right"}, 1.5);
    press(display, {"space"}, 1.5);
    press(display, {"space"}, 1.5);
    const std::vector<fs::path> kept = win_first_level(display, game, player_folder / "recordings");
    ASSERT_EQ(kept.size(), 1u) << game.out() << game.err();
    EXPECT_TRUE(kept[0].filename().string().starts_with("R-Slice.Player."));
    pause_for(1.0);

    // The win menu's "Quit" to the opening menu, then the way out.
    press(display, {"Down", "Down", "space"}, 1.5);
    xdotool(display, {"key", "alt+F4"});
    EXPECT_EQ(game.wait_exit(60), 0) << game.err();

    // The shipped levels and pictures were found (nothing refused or missing).
    const std::string said = game.out() + game.err();
    for (const char* complaint : {"Cannot", "Didn't work", "No opening.rec"})
        EXPECT_EQ(said.find(complaint), std::string::npos) << complaint << "\n" << said;
    for (const char* file : {"highscores.list", "playerinfo/Player.player"})
        EXPECT_NE(read_text(player_folder / file).find("R-Slice"), std::string::npos) << file;
    EXPECT_TRUE(fs::exists(player_folder / "world.rec"));
    EXPECT_TRUE(fs::is_empty(started_in));
    EXPECT_FALSE(fs::exists(home / ".local"));
    EXPECT_EQ(snapshot(prefix), before);

    // The kept recording replays to its win from the player's folder.
    const std::string verify =
        shell("cd " + player_folder.string() + " && " + tool_binary + " replay --verify recordings", rc);
    EXPECT_EQ(rc, 0) << verify;
    shell("chmod -R u+w " + prefix.string(), rc);
}

// The Debian package: built by CPack as scripts/package does, it holds the
// installed layout under /usr and asks only for Debian's libraries; unpacked
// anywhere, its game starts and finds its data.
TEST(Package, HoldsTheGameItsDataMenuEntryAndIconsAndRunsUnpacked)
{
    TempDir scratch;
    int rc = -1;
    const std::string made =
        shell("cpack --config " + std::string(build_dir) + "/CPackConfig.cmake -B " + scratch.path(), rc);
    ASSERT_EQ(rc, 0) << made;
    const std::vector<fs::path> debs = files_ending(scratch.path(), ".deb");
    ASSERT_EQ(debs.size(), 1u) << made;
    const std::string deb = debs[0].string();
    EXPECT_TRUE(debs[0].filename().string().starts_with("slivermere_")) << deb;

    // Its fields, and the libraries it asks for.
    EXPECT_EQ(shell("dpkg-deb -f " + deb + " Package Section", rc), "Package: slivermere\nSection: games\n");
    const std::string depends = shell("dpkg-deb -f " + deb + " Depends", rc);
    ASSERT_EQ(rc, 0);
    for (const char* library : {"libsdl1.2debian", "libpng16-16", "libopengl0", "libc6", "libstdc++6"})
        EXPECT_NE(depends.find(library), std::string::npos) << depends;

    // Its files: those listed in tests/data/package_files.txt and every
    // shipped level; nothing a game run leaves.
    const std::vector<std::string> listing = prefixed_lines(shell("dpkg-deb -c " + deb + " | awk '{print $6}'", rc));
    const std::set<std::string> files(listing.begin(), listing.end());
    std::vector<std::string> wanted = prefixed_lines(read_text(source_root / "tests/data/package_files.txt"));
    for (const std::string& level : prefixed_lines(read_text(source_root / "data/levels/levels.list")))
        if (level != "---")
            wanted.push_back("share/slivermere/levels/" + level + ".lev");
    for (const std::string& file : wanted)
        EXPECT_EQ(files.count("./usr/" + file), 1u) << file;
    for (const std::string& file : files) {
        EXPECT_TRUE(file.starts_with("./usr/")) << file;
        for (const char* stray :
             {"highscores", "playerinfo", "recordings", "userlevels", "world.rec", ".stamp", ".tmp"})
            EXPECT_EQ(file.find(stray), std::string::npos) << file;
    }

    // Unpacked, the game names the data beside it and a player's folder.
    const fs::path root = scratch.file("root");
    shell("dpkg-deb -x " + deb + " " + root.string(), rc);
    ASSERT_EQ(rc, 0);
    const std::string help = shell("XDG_DATA_HOME=/nowhere " + (root / "usr/bin/slivermere").string() + " --help", rc);
    EXPECT_EQ(rc, 0) << help;
    EXPECT_NE(help.find("reads its data from " + (root / "usr/share/slivermere").string() + "\n"), std::string::npos)
        << help;
    EXPECT_NE(help.find("the player's files in /nowhere/slivermere\n"), std::string::npos) << help;

    // The menu entry starts the program where the package puts it, PATH or not.
    const std::string entry = read_text(root / "usr/share/applications/slivermere.desktop");
    EXPECT_NE(entry.find("\nExec=/usr/bin/slivermere\n"), std::string::npos) << entry;

    PrivateDisplay display;
    ASSERT_TRUE(display.ok()) << "Xvfb did not start";
    const fs::path data_home = scratch.file("data");
    GameProcess game(display, {}, scratch.path(), (root / "usr/bin/slivermere").string(),
                     {"HOME=" + scratch.path(), "XDG_DATA_HOME=" + data_home.string()});
    ASSERT_TRUE(window_up(game, 2.0)) << game.err();
    xdotool(display, {"key", "alt+F4"});
    EXPECT_EQ(game.wait_exit(60), 0) << game.err();
    EXPECT_EQ(game.out().find("No opening.rec"), std::string::npos) << game.out();
    EXPECT_EQ(game.err().find("Didn't work"), std::string::npos) << game.err();
    EXPECT_TRUE(fs::exists(data_home / "slivermere/highscores.list")) << game.out();
}
