#pragma once

#include <string>

// Level pictures and contact sheets as PNG files, drawn in the game's own
// window: the world draws them, the shell opens the window they need.

// Opens the game's window when no GL context exists yet, so that the fonts and
// pictures go to the GL as they load. False, with the reason, without a display
// or outside the game folder.
bool open_picture_window(std::string& error);

// Loads a level file and writes its picture as a PNG file; run in the game
// folder, whose pictures and fonts it draws with.
bool write_level_picture(const std::string& level_file, const std::string& png_file, int width, std::string& error);

// The sheet of the levels named in a level list ("levels/levels.list"; its
// "---" line skipped), loaded from the game folder's "levels/", as a PNG file.
// Opens the game's window when no GL context exists yet.
bool write_level_sheet(const std::string& list_file, const std::string& png_file, int screen_width,
                       std::string& error);
