#pragma once

#include <string>
#include <vector>

#include "render/art/canvas.hpp"
#include "render/art/game_art.hpp"

// A picture for judging the art at a glance. On top, a mock game screen at the
// game's scale, drawn the way the game maps the pictures: polygons of every
// style with their edge and light bands, a fresh cut, the sword and its
// trail, sparks and the playback bar. Below, every picture on the dark
// background, the repeating ones tiled two by two so that seams show. Style
// numbers come from the "info" files under data_dir.
Canvas draw_contact_sheet(const std::vector<ArtFile>& art, const std::string& data_dir);
