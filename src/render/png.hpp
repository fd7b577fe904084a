#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Reads a PNG file as 8-bit RGBA words (bytes red, green, blue, alpha in
// memory), bottom row first. Whatever the file's colour type and bit depth,
// the result has width * height words. On failure it prints why on the
// standard stream and leaves width, height and pixels empty.
bool load_png(const std::string& path, std::uint32_t& width, std::uint32_t& height,
              std::vector<std::uint32_t>& pixels);

// load_png without a word on any stream, for reading ahead on another thread:
// true only when the picture loaded and load_png would have said nothing.
bool load_png_quietly(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                      std::vector<std::uint32_t>& pixels);

// Reverses the order of the rows in place: turns what load_png gives into the
// top-row-first order that textures and raw dumps use, and back.
void flip_rows(std::vector<std::uint32_t>& pixels, std::uint32_t width, std::uint32_t height);

// Writes 8-bit RGBA pixels, top row first, as a PNG file. Used by the tools
// and by tests that keep screenshots; the game itself only reads PNG files.
// Reports a failure on the error stream and returns false.
bool save_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba_top_down);
