#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <memory>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/e2e_support.hpp"
#include "support/game_process.hpp"
#include "support/test_support.hpp"

namespace fs = std::filesystem;
using namespace e2e;

namespace {

// The files directly in `folder`.
// Finished files only: a file being written is "NAME.tmp" until it is complete.
std::vector<fs::path> files_in(const fs::path& folder)
{
    std::vector<fs::path> found;
    for (const auto& entry : fs::directory_iterator(folder))
        if (entry.path().extension() != ".tmp")
            found.push_back(entry.path());
    return found;
}

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

class GameEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(display.ok()) << "Xvfb did not start";
        copy_fresh_game(folder.path());
    }

    void keys(std::vector<std::string> names) { e2e::keys(display, std::move(names)); }
    void swing(int dx) { e2e::swing(display, dx); }
    void screenshot(const std::string& name) { EXPECT_TRUE(e2e::screenshot(display, name)); }

    PrivateDisplay display;
    TempDir folder;
};

}  // namespace

TEST_F(GameEndToEnd, PlaysTheFirstLevelToAWinAndKeepsTheResultThroughAForcedQuit)
{
    auto started = std::make_unique<GameProcess>(display, std::vector<std::string>{}, folder.path());
    GameProcess* game = started.get();
    ASSERT_FALSE(game->wait_for_window().empty()) << game->err();
    pause_for(1.5);
    screenshot("e2e_opening_hidden.png");

    // Any key shows the opening menu, with "Play" selected; "Unlock
    // Everything" above it; back to "Play".
    keys({"Right"});
    pause_for(1.5);
    screenshot("e2e_opening_menu.png");
    keys({"Up", "Up", "u", "Down", "Down"});
    pause_for(1.0);
    // Play; the first level of the list; its welcome screen.
    keys({"space"});
    pause_for(1.5);
    keys({"space"});
    pause_for(1.5);
    ASSERT_TRUE(game->running()) << game->err();
    screenshot("e2e_welcome.png");

    // Swing through the plank's stem, back and forth, until the piece lands
    // and the win menu keeps the game's recording. A click first: it is
    // "Begin" while the welcome screen is up (a slow machine may still be
    // showing it) and only blunts the sword for a moment in the game.
    const fs::path recordings = folder.path() + "/recordings";
    for (int attempt = 0; attempt < 10 && files_in(recordings).empty() && game->running(); ++attempt) {
        xdotool(display, {"click", "1"});
        swing(attempt % 2 == 0 ? 60 : -60);
        if (attempt == 0)
            screenshot("e2e_level.png");
        for (int wait = 0; wait < 60 && files_in(recordings).empty(); ++wait)
            pause_for(0.1);
    }
    const std::vector<fs::path> kept = files_in(recordings);
    ASSERT_EQ(kept.size(), 1u) << game->out() << game->err();
    const std::string name = kept[0].filename().string();
    ASSERT_TRUE(name.starts_with("R-Slice.Player.") && name.ends_with(".rec")) << name;
    const double time = std::stod(name.substr(std::strlen("R-Slice.Player."), name.size() - 19));
    pause_for(1.0);
    screenshot("e2e_win_menu.png");

    // Killed on the win menu, the game has already written the result and
    // the unlock; a new start finds them.
    const std::string player_file = folder.path() + "/playerinfo/Player.player";
    game->send_signal(SIGKILL);
    EXPECT_EQ(game->wait_exit(), 128 + SIGKILL);
    const auto check_files = [&] {
        const std::string scores = read_text(folder.path() + "/highscores.list");
        EXPECT_NE(scores.find("R-Slice"), std::string::npos);
        EXPECT_NE(scores.find("Player"), std::string::npos);
        const std::string player = read_text(player_file);
        // The name shows the time cut to whole milliseconds; a time such as
        // 1.442, held as 1.44199999…, is named 1.441.
        const double best = personal_best_in(player, "R-Slice");
        EXPECT_GE(best, time - 1e-9);
        EXPECT_LE(best, time + 0.001 + 1e-9);
        // After the magic number, the count of locked keys: none.
        EXPECT_EQ(player.substr(4, 4), std::string(4, '\0'));
    };
    check_files();
    started = std::make_unique<GameProcess>(display, std::vector<std::string>{}, folder.path());
    game = started.get();
    ASSERT_FALSE(game->wait_for_window().empty()) << game->err();
    pause_for(1.5);

    // The opening menu, its high scores, the one entry: its replay, started
    // with the play button.
    keys({"Right"});
    pause_for(1.5);
    keys({"Down", "Down", "Down", "space"});
    pause_for(1.5);
    keys({"space"});
    pause_for(1.5);
    keys({"Down", "Down", "Down", "Down", "space"});
    pause_for(1.5);
    screenshot("e2e_playback.png");
    ASSERT_TRUE(game->running()) << game->err();

    xdotool(display, {"key", "alt+F4"});
    EXPECT_EQ(game->wait_exit(), 0) << game->err();
    EXPECT_NE(game->out().find("Writing high scores to disk"), std::string::npos) << game->out();
    check_files();
    // The kept recording replays to a win in the time its name gives.
    int rc = -1;
    const std::string verify = shell("cd " + folder.path() + " && " + tool_path() + " replay --verify recordings", rc);
    EXPECT_EQ(rc, 0) << verify;
}
