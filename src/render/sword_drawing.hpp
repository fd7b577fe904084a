#pragma once

#include "geometry/sword.hpp"
#include "geometry/sword_style.hpp"

// Fetches the pictures through the texture cache (needs a GL context), then
// reads the info numbers in order; those that cannot be read keep the values
// above, silently.
SwordStyle load_sword_style();

// Draws the trail (when it has more than 2 entries) and the blade. Loads the
// style on its first call, so that swords are made and stepped without GL.
void draw_sword(SwordStyle& style, const Sword& sword);
