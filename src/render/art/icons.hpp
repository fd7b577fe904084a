#pragma once

#include <string>
#include <vector>

#include "render/art/canvas.hpp"

struct NamedPicture {
    std::string name;
    Canvas picture;
};

// The menu pictures that the game loads from "textures/" + name + ".png":
// the playback bar's glyphs and its panel, the list arrow, the padlock and
// the scroll handle. Ivory glyphs with a dark rim and a soft drop shadow, so
// that they read on the dark background and over a level.
std::vector<NamedPicture> draw_menu_pictures();
