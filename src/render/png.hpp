#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes 8-bit RGBA pixels, top row first, as a PNG file. Used by the tools
// and by tests that keep screenshots; the game itself only reads PNG files.
// Reports a failure on the error stream and returns false.
bool save_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba_top_down);
