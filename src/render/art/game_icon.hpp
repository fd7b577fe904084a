#pragma once

#include <string>
#include <vector>

#include "render/art/canvas.hpp"

// The sizes of the desktop icon, in pixels: those the desktop's icon theme
// looks for.
const std::vector<int>& game_icon_sizes();

// The game's icon, size by size pixels: a block cut in two by the sword's
// bright stroke, on a dark rounded tile. Drawn from shapes at every size, so
// that the small ones stay sharp.
Canvas draw_game_icon(int size);

// Writes the icon at every size as out_dir/NxN/apps/slivermere.png, the
// layout of an icon theme ("share/icons/hicolor"). Reports a failure on the
// error stream and returns false.
bool make_game_icons(const std::string& out_dir);
