#pragma once

#include <string>

// Where a level named NAME is kept: "userlevels/NAME.lev".
std::string user_level_file(const std::string& name);
// Where the editor keeps a copy of a level with unsaved changes when the game
// is closed under it: "userlevels/NAME.recovery.lev".
std::string recovery_file(const std::string& level_file);
bool is_recovery_file(const std::string& file_name);
// Level names hold letters, digits, blanks, '-' and '_', at most 60 bytes:
// they become file names and appear in lists.
bool is_level_name(const std::string& name);
