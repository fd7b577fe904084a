#pragma once

#include <cstddef>
#include <optional>
#include <string>

// A player-typed name as part of a file name: '/', '\\', '%', control bytes
// and a whole name of "." or ".." become %XX escapes, so no name reaches
// outside its folder and no two names share a file; every other name comes
// back unchanged.
std::string safe_file_name(const std::string& name);

// The name a safe file name came from; none for text that safe_file_name
// never gives (a broken or needless escape).
std::optional<std::string> name_from_safe_file_name(const std::string& safe);

// A file name holds at most 255 bytes. An escaped name keeps room in it for
// the longest use: "KEY.NAME.TIME.rec" under "recordings/" (the score key
// takes the rest, the time at most 16 bytes, such as "-16666666:39.999"),
// plus the ".tmp" that the atomic writer adds while the file is written.
constexpr std::size_t max_file_name_bytes = 255;
constexpr std::size_t max_safe_name_bytes = 100;

// Whether a player name's file names fit (its escaped form is at most
// max_safe_name_bytes long).
bool name_fits_file_name(const std::string& name);

// "playerinfo/" + safe name + ".player"
std::string player_file_name(const std::string& name);
// The name the player file had before '%' was escaped.
std::string old_player_file_name(const std::string& name);

// Renames a damaged file to path + ".bad" (path + ".2.bad" and so on when an
// earlier damaged copy is there) so that the next write does not replace it.
// Returns the new name, or "" after reporting a failure on the error stream.
std::string keep_damaged_file(const std::string& path);
// Keeps a damaged file aside and says so on the error stream, in one line:
// "WHAT PATH is damaged: INSTEAD; the file is kept as ASIDE" (without the
// last part when it could not be kept).
void report_damaged_file(const std::string& what, const std::string& path, const std::string& instead);
