#pragma once

#include <cstdint>
#include <string>
#include <vector>

class World;

// Pictures of whole levels, drawn by the game's own GL drawing: bodies,
// walls and goals in their styles, the sword where it starts, and the tags of
// goals and bodies as the game shows them with "goals visible" on. The view
// takes in the whole of the level's bounds, however many screens they span;
// the background's gradient is stretched over the picture. The level timer
// is left out: it belongs to the screen, not to the level.

// The game's scale: one level unit is 384 window pixels.
constexpr double game_pixels_per_unit = 768.0 / 2.0;

struct LevelPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;  // top row first
};

// The level's bounds measured in screens: "1.5 x 1.1 screens".
std::string screens_text(const World& world);

// Draws the level over a pixel rectangle of the current frame (lower-left
// corner at left, bottom), which should have the bounds' aspect. Touches only
// that rectangle.
void draw_whole_level(World& world, int left, int bottom, int width, int height);

// The picture `width` pixels wide (0: at the game's scale, smaller if the GL
// cannot draw that much) and as tall as the bounds' aspect makes it, drawn off
// the screen. Needs a GL context. False, with the reason, when the bounds are
// empty or the GL cannot draw a frame that large.
bool draw_level_picture(World& world, int width, LevelPicture& picture, std::string& error);
