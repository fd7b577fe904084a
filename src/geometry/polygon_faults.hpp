#pragma once

#include <string>

class Polygon;
class PhysicsPolygon;

// Why a polygon may not be part of a level: the field at fault, by its name
// in the level text ("toughness"), and a short reason that names it in words
// ("toughness is negative"). The level loader refuses a file with the reason,
// `level build` points at the field's line, and the editor shows the reason,
// so all three hold a level to the same checks.
struct Fault {
    const char* field = "";
    std::string reason;

    explicit operator bool() const { return !reason.empty(); }
};

// What every polygon must hold: points and placement within the numbers the
// game can handle, edges between existing points with none listed twice (two
// crossings of one edge would cut it twice), a rotation that is a rotation
// (the polygon is drawn with it and collides with its inverse) and a cut drag
// that does not speed the sword up.
Fault polygon_fault(const Polygon& polygon);

// What a movable body adds: a density above zero, a toughness the sword's
// entry can pay for (the root of a negative one is not a number), a mass and
// moment it can move with, and an outline that cutting and splitting can
// walk; and first everything polygon_fault asks of any polygon.
Fault body_fault(const PhysicsPolygon& body);
