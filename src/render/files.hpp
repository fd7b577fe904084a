#pragma once

#include <string>
#include <vector>

// The names of every entry of a folder, "." and ".." and subfolders included,
// in the order the directory search returns them. Empty when the folder cannot
// be read.
std::vector<std::string> list_directory(const std::string& folder);

// True when `path` is a file that can be opened for reading.
bool file_exists(const std::string& path);
