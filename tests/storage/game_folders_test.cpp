#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "storage/game_folders.hpp"
#include "storage/level_files.hpp"
#include "support/test_support.hpp"

namespace fs = std::filesystem;

namespace {

// Sets the game's folders for one test and puts back the working folder.
class WithFolders {
public:
    explicit WithFolders(GameFolders folders) { set_game_folders(std::move(folders)); }
    ~WithFolders() { set_game_folders({}); }
};

// A prefix with the program in bin/ and, when `with_data`, its data.
std::string make_prefix(const TempDir& dir, bool with_data)
{
    fs::create_directories(dir.file("prefix/bin"));
    write_file_bytes(dir.file("prefix/bin/slivermere"), {0x7f});
    if (with_data) {
        fs::create_directories(dir.file("prefix/share/slivermere/levels"));
        write_file_bytes(dir.file("prefix/share/slivermere/levels/levels.list"), {'S', '\n'});
    }
    return dir.file("prefix/bin/slivermere");
}

}  // namespace

TEST(GameFolders, NamesGoToTheDataOrThePlayersFolderAndStayAsTheyAreUnset)
{
    const char* shipped[] = {"levels/Slice.lev", "styles/polygon/wood/info", "textures/play.png", "sounds/win.snd",
                             "menu.txf", "opening.rec"};
    const char* players[] = {"userlevels/Slice.lev", "recordings/R-Slice.Ann.1.500.rec", "playerinfo/Ann.player",
                             "highscores.list", "levels.list", "levelsX/a.lev", "menu.txf.bad", ".txf"};
    EXPECT_EQ(game_path("levels/Slice.lev"), "levels/Slice.lev") << "unset";

    WithFolders folders({"/usr/share/slivermere", "/home/ann/.local/share/slivermere"});
    for (const char* name : shipped)
        EXPECT_EQ(game_path(name), std::string("/usr/share/slivermere/") + name);
    for (const char* name : players)
        EXPECT_EQ(game_path(name), std::string("/home/ann/.local/share/slivermere/") + name);
    EXPECT_EQ(game_path("/tmp/level.lev"), "/tmp/level.lev");
}

// That the installed game reads its data and writes the player's files in
// their folders is checked end to end; here, how names and folders are found.
TEST(GameFolders, AnInstalledGameFindsItsDataBesideItselfAndThePlayersFolderInTheirHome)
{
    TempDir dir;
    const std::string program = make_prefix(dir, true);
    const std::string data = fs::canonical(dir.file("prefix/share/slivermere")).string();

    auto found = installed_game_folders(program, "../share/slivermere", "/xdg", "/home/ann");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data, data);
    EXPECT_EQ(found->player, "/xdg/slivermere");
    // Unset, empty or relative $XDG_DATA_HOME: the default under the home.
    for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/data"}) {
        found = installed_game_folders(program, "../share/slivermere", xdg, "/home/ann/");
        ASSERT_TRUE(found);
        EXPECT_EQ(found->player, "/home/ann/.local/share/slivermere");
    }

    // Started through a link elsewhere (a menu's launcher, /usr/games).
    fs::create_directories(dir.file("links"));
    fs::create_symlink(program, dir.file("links/slivermere"));
    found = installed_game_folders(dir.file("links/slivermere"), "../share/slivermere", "/xdg", nullptr);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->data, data);

    // The build folder has no data beside the program: the working folder it is.
    TempDir build;
    EXPECT_FALSE(installed_game_folders(make_prefix(build, false), "../share/slivermere", "/xdg", "/home/ann"));
}

// That the first start makes the player's folder is checked end to end.
TEST(GameFolders, APlayersFolderThatCannotBeMadeIsRefusedWithAReason)
{
    TempDir dir;
    std::string why;
    write_file_bytes(dir.file("taken"), {1});
    EXPECT_FALSE(make_player_folder(dir.file("taken"), why));
    EXPECT_NE(why.find(dir.file("taken")), std::string::npos) << why;
}

TEST(GameFolders, AUserLevelAndTheEditorsRecoveryCopyAreNamedAfterTheLevel)
{
    EXPECT_EQ(user_level_file("My Level"), "userlevels/My Level.lev");
    // Whatever folder the level came from, its copy sits among the user levels.
    for (const char* level : {"userlevels/My Level.lev", "levels/My Level.lev", "My Level"})
        EXPECT_EQ(recovery_file(level), "userlevels/My Level.recovery.lev") << level;
    EXPECT_TRUE(is_recovery_file(recovery_file("levels/Slice.lev")));
    EXPECT_FALSE(is_recovery_file("userlevels/Slice.lev"));
}
