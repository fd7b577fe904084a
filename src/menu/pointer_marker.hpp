#pragma once

#include "geometry/vector2.hpp"

// The twinkling star at the menu pointer and the editor's cursor: 40 rays of
// random direction and length, two of them renewed on every call. Drawn in
// whatever frame the caller's matrix sets up, with the caller's blending.
void draw_pointer(const Vector2& point);
