#pragma once

#include <optional>
#include <string>

// The game names its files relative to one game folder: "levels/Slice.lev",
// "styles/polygon/wood/info", "highscores.list". Run from its build folder,
// that is the working folder for everything. Installed, what ships with the
// game is read from its data folder, and what the player makes is written to
// (and read back from) the player's own folder.
struct GameFolders {
    std::string data;    // empty: the working folder
    std::string player;  // empty: the working folder
};

void set_game_folders(GameFolders folders);

// True for the names of what ships with the game: "levels/...",
// "styles/...", "textures/...", the fonts ("menu.txf") and "opening.rec".
// Everything else (scores, players, recordings, user levels, "world.rec",
// "playtest.lev") is the player's.
bool is_shipped_name(const std::string& name);

// The path of the file or folder that a game name stands for: absolute
// paths as they are, shipped names under the data folder, all others under
// the player's. A shipped level and a user level of the same name never meet.
std::string game_path(const std::string& name);

// The folders of an installed game: its data at `data_from_program` (a path
// relative to the folder of the program, such as "../share/slivermere"),
// when that holds the level list; the player's folder is
// $XDG_DATA_HOME/slivermere, or ~/.local/share/slivermere, and empty when no
// home is known. Nothing when the program is not installed (it runs from its
// build folder). Null environment values stand for unset ones.
std::optional<GameFolders> installed_game_folders(const std::string& program, const std::string& data_from_program,
                                                  const char* xdg_data_home, const char* home);

// Creates the player's folder and the folders the game writes into. False,
// with the reason, when it cannot.
bool make_player_folder(const std::string& folder, std::string& why);
