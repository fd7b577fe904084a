#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/test_support.hpp"

// Inputs and what they should give, kept as text under tests/data: a case
// starts with a line "== EXPECTED" and its input is every line up to the
// next one, as written (lines before the first case are notes).
inline std::vector<std::pair<std::string, std::string>> text_cases(const std::string& name)
{
    std::vector<std::pair<std::string, std::string>> cases;
    std::istringstream lines(read_text(source_root / "tests" / "data" / name));
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("== "))
            cases.emplace_back("", line.substr(3));
        else if (!cases.empty())
            cases.back().first += line + "\n";
    }
    return cases;
}
