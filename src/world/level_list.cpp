#include "world/level_list.hpp"

#include <fstream>

#include "storage/game_folders.hpp"

std::vector<std::string> read_level_list(const std::string& path)
{
    std::vector<std::string> lines;
    std::ifstream in(game_path(path));
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string level_file_name(const std::string& name)
{
    return "levels/" + name + ".lev";
}
