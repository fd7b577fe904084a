#pragma once

#include <string>
#include <vector>

// The lines of "levels/levels.list" in order: level names, and "---" where
// the locked levels begin. Empty when the list cannot be read.
std::vector<std::string> read_level_list(const std::string& path = "levels/levels.list");

// "levels/" + name + ".lev"
std::string level_file_name(const std::string& name);
