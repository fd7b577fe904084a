#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "tool_command.hpp"
#include "world/blind_players.hpp"

namespace {

const char usage[] =
    "  blind LEVEL.lev ... [--player NAME] [--script OUT.txt]\n"
    "                                       plays the blind players (sweeps, diagonals, circles,\n"
    "                                       zigzags, seeded wandering, with and without the button\n"
    "                                       held; 1600 frames each; from all four corners on a\n"
    "                                       level larger than a screen) on every level: a line per\n"
    "                                       player that wins, then 'LEVEL: N of M blind players\n"
    "                                       win'; exit 1 when any wins. --player plays that one\n"
    "                                       only; --script writes its input script for run";

int usage_error()
{
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

int blind(const std::vector<std::string>& args)
{
    std::vector<std::string> levels;
    std::string player_name;
    std::string script_file;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool has_value = i + 1 < args.size();
        if (arg == "--player" && has_value)
            player_name = args[++i];
        else if (arg == "--script" && has_value)
            script_file = args[++i];
        else if (arg.starts_with("--"))
            return usage_error();
        else
            levels.push_back(arg);
    }
    if ((levels.empty() && script_file.empty()) || (!script_file.empty() && player_name.empty()))
        return usage_error();

    std::vector<BlindPlayer> players;
    if (player_name.empty()) {
        players = blind_players();
    } else {
        BlindPlayer player;
        if (!find_blind_player(player_name, player)) {
            std::cerr << "blind: no player is called '" << player_name << "'; the players are:\n";
            for (const BlindPlayer& known : blind_players())
                std::cerr << "  " << known.name << '\n';
            return 2;
        }
        players.push_back(std::move(player));
    }
    if (!script_file.empty()) {
        std::ofstream out(script_file);
        out << players.front().script_text;
        out.close();
        if (!out) {
            std::cerr << "blind: cannot write " << script_file << '\n';
            return 1;
        }
    }

    bool any_win = false;
    bool unreadable = false;
    for (const std::string& level : levels) {
        std::vector<BlindWin> wins;
        int played = 0;
        std::string reason;
        if (!play_blind(level, players, wins, played, reason)) {
            std::cerr << reason << '\n';
            unreadable = true;
            continue;
        }
        for (const BlindWin& win : wins)
            std::cout << level << ": " << win.player << " wins in " << win.frames << " frames\n";
        std::cout << level << ": " << wins.size() << " of " << played << " blind players win" << std::endl;
        any_win = any_win || !wins.empty();
    }
    return any_win || unreadable ? 1 : 0;
}

const ToolCommand command("blind", usage, blind);

}  // namespace
