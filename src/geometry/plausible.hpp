#pragma once

#include "geometry/vector2.hpp"

// Whether a stored number can be a position, speed or amount of the game.
// NaN, infinities and numbers so large that the game's arithmetic would
// overflow them are signs of a damaged file.
constexpr double max_stored_magnitude = 1e9;
inline bool plausible(double v) { return v > -max_stored_magnitude && v < max_stored_magnitude; }
inline bool plausible(const Vector2& v) { return plausible(v.x) && plausible(v.y); }
