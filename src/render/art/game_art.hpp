#pragma once

#include <string>
#include <vector>

#include "render/art/canvas.hpp"

// One picture of the game and where it lives, relative to the game folder
// ("textures/play.png", "styles/polygon/wood/main.png", ...).
struct ArtFile {
    std::string path;
    Canvas picture;
};

// Every picture the game loads: polygon styles, the sword style, the particle
// and the menu pictures. The same pictures, to the byte, on every run.
std::vector<ArtFile> draw_game_art();

// Draws every picture into out_dir, creating the folders it needs. Reports a
// failure on the error stream and returns false.
bool make_game_art(const std::string& out_dir);
