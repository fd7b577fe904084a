#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_support.hpp"

// A real GL context for tests that draw: one hidden-from-nobody SDL window of
// the game's size, opened once per test program and kept until it ends. Each
// test starts from the game's projection and a cleared frame.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;

    // The RGBA bytes of the window pixel (x, y), origin at the bottom left as GL has it.
    static std::uint32_t pixel(int x, int y);
    // Window pixel of a point in screen units (x within ±1023/768, y within ±1).
    static void to_pixel(double ux, double uy, int& px, int& py);
    static std::uint32_t pixel_at_units(double ux, double uy);
    // The whole window, top row first.
    static std::vector<std::uint8_t> read_rgba(int& width, int& height);
};

// A GlTest run in the game folder the build lays out, with the game's own
// pictures, fonts and levels.
class GameFolderGlTest : public GlTest {
protected:
    ScopedCwd in_game_folder_{game_dir};
};

constexpr int gl_test_width = 1023;
constexpr int gl_test_height = 768;

inline std::uint8_t red_of(std::uint32_t rgba) { return rgba & 0xFF; }
inline std::uint8_t green_of(std::uint32_t rgba) { return (rgba >> 8) & 0xFF; }
inline std::uint8_t blue_of(std::uint32_t rgba) { return (rgba >> 16) & 0xFF; }
