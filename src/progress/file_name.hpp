#pragma once

#include <string>

// A player-typed name as part of a file name: '/', '\\', control bytes and a
// whole name of "." or ".." become %XX escapes, so no name reaches outside its
// folder; every other name comes back unchanged.
std::string safe_file_name(const std::string& name);

// "playerinfo/" + safe name + ".player"
std::string player_file_name(const std::string& name);

// Renames a damaged file to path + ".bad" (path + ".2.bad" and so on when an
// earlier damaged copy is there) so that the next write does not replace it.
// Returns the new name, or "" after reporting a failure on the error stream.
std::string keep_damaged_file(const std::string& path);
