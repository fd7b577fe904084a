#pragma once

#include <string>
#include <vector>

#include "world/runner.hpp"

// Blind players: input made without looking at the level. Sweeps, diagonals,
// circles, zigzags and seeded wandering, each with and without the mouse
// button held. A level that falls to one of them can be won without thought.
//
// Each first throws the sword into the top-left corner of the level, lets it
// settle and then steers it over one screen from there, as a player who never
// looks at the screen would move the mouse. Heights and places in names are
// fractions of that screen: y=0.3 is 0.3 of it down from the top; speeds are
// in screens a second (slow 0.5, fast 2, faster 4). On a level larger than a
// screen every player also starts from the other three corners ("from
// top-right" ...), mirrored, and plays the screen inward of that corner.
struct BlindPlayer {
    std::string name;         // e.g. "sweep-x fast y=0.3 held"
    bool from_corner = false;  // starts from a corner other than the top-left
    std::string script_text;  // the input script, as `run --input` reads it
    InputScript script;       // script_text parsed
};

// Frames every blind player plays, 16 ms each.
constexpr int blind_player_frames = 1600;

// The whole suite, in a fixed order; the same scripts on every call.
std::vector<BlindPlayer> blind_players();

// The player with that name; false when there is none.
bool find_blind_player(const std::string& name, BlindPlayer& player);

struct BlindWin {
    std::string player;
    int frames = 0;
};

// Plays each player on a fresh load of the level, through run_world, with the
// game's own lines muted; players from the other corners only when the level
// is larger than a screen. `played` counts the players played, `wins` names
// those that won, in suite order. False when the level cannot be opened;
// `reason` then says why.
bool play_blind(const std::string& level_file, const std::vector<BlindPlayer>& players,
                std::vector<BlindWin>& wins, int& played, std::string& reason);
