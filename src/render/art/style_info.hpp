#pragma once

#include <string>
#include <vector>

// Reads the first `count` numbers of a style "info" file (decimal numbers
// separated by white space, as the game reads them). False when the file is
// missing or holds fewer numbers.
bool read_info_numbers(const std::string& path, std::size_t count, std::vector<double>& numbers);
