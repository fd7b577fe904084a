#pragma once

// The game's window and the part of the world it shows: 768 pixels are two
// world units, the view's height. The width is 1023 pixels, not 1024: the
// projection is built on 1023/768, which a double holds exactly.
constexpr int window_width = 1023;
constexpr int window_height = 768;
constexpr double view_half_width = 1023.0 / 768.0;  // 1.33203125
constexpr double view_half_height = 1.0;
