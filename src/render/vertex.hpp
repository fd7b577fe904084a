#pragma once

#include "geometry/vector2.hpp"
#include "render/gl.hpp"

// A point of the GL primitive being drawn, in level units.
inline void vertex(const Vector2& p) { glVertex2d(p.x, p.y); }
