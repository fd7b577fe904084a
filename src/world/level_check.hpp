#pragma once

#include <string>
#include <vector>

class World;

// The designer's check: what is wrong with a level before a player finds it.
// An error is a level the game will not open or that cannot be won; a
// warning is something that is most likely a mistake.
struct LevelFinding {
    enum class Severity { error, warning };
    Severity severity = Severity::warning;
    std::string message;

    bool operator==(const LevelFinding&) const = default;
};

// "error: MESSAGE" or "warning: MESSAGE", as the tool prints it after the
// file's name.
std::string finding_line(const LevelFinding& finding);
// Every finding's line, in order.
std::vector<std::string> finding_lines(const std::vector<LevelFinding>& findings);

struct LevelCheckOptions {
    // The level list that `unlocks` goals must name a level of: its lines, as
    // read_level_list gives them, and where they came from (for messages).
    // Empty lines: there is no list, and every unlocking goal says so.
    std::vector<std::string> level_list;
    std::string level_list_path = "levels/levels.list";
    // How long the level is played with no input to see whether it wins.
    int idle_frames = 600;
};

// Checks a level that loaded. Bodies, walls and goals are named by kind and
// number, counting from 1 in file order ("body 2", "wall 1"). Plays the level
// at the end, so the world is spent afterwards.
std::vector<LevelFinding> check_level(World& world, const LevelCheckOptions& options);

// Checks level text: what build_level refuses (one error naming the line),
// or else check_level on the level it builds.
std::vector<LevelFinding> check_level_text(const std::string& text, const LevelCheckOptions& options);

// Checks a file: level text when the name ends in ".txt", a level file
// otherwise (what the game's loader refuses, with its reason).
std::vector<LevelFinding> check_level_file(const std::string& path, const LevelCheckOptions& options);
