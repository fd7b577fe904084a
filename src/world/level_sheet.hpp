#pragma once

#include <string>
#include <vector>

#include "world/level_picture.hpp"

class World;

// A contact sheet for judging a campaign at a glance: every level's whole
// picture, all at one scale so that their sizes compare, in order from left
// to right and top to bottom, each under a caption with its name and its size
// in screens. A row holds up to four screens' width; a wider level has a row
// of its own and widens the sheet.
struct SheetEntry {
    std::string name;
    World* world = nullptr;
};

// screen_width: the pixels one screen's width takes on the sheet.
bool draw_level_sheet(const std::vector<SheetEntry>& entries, int screen_width, LevelPicture& sheet,
                      std::string& error);
