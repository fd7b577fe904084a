#pragma once

#include "geometry/vector2.hpp"

// Nearest point to p on the segment a-b.
Vector2 closest_point_on_segment(const Vector2& a, const Vector2& b, const Vector2& p);

// Where segment B (b0-b1) crosses segment A (a0-a1). On a crossing, point is
// the crossing and t its distance from a0 along A; a crossing exactly at a1 is
// not one, one exactly at a0 is. crosses_right is set when B ends on the right
// of A and cleared when it ends on the left; when B starts on the left and
// ends on A it is left as it was. For collinear overlapping segments the point
// is the middle of A and t is not written.
bool intersect_segments(const Vector2& a0, const Vector2& a1, const Vector2& b0, const Vector2& b1,
                        Vector2& point, double& t, bool& crosses_right);
