#pragma once

#include <deque>

#include <SDL/SDL.h>

#include "geometry/sword_style.hpp"
#include "geometry/vector2.hpp"
#include "storage/base_storable.hpp"

class Polygon;

struct TrailEntry {
    Vector2 point;
    double age = 0.0;  // seconds
};

// The player's cutting point: the mouse accelerates it, friction slows it, the
// polygons it is inside drag on it. Holding a mouse button blunts it.
class Sword : public BaseStorable {
public:
    void save(BaseStorage& storage) const override;
    // Refuses a stored style name that is not empty and an empty trail.
    bool load(BaseStorage& storage) override;

    // Mouse motion and buttons; true when the event was used.
    bool handle_event(const SDL_Event& event);
    // One frame, before the cut pass.
    void update(double dt);
    // A polygon the sword is inside lets it go (the sword leaves it, or the
    // polygon is cut open, taken or deleted): its count and its drag no longer
    // hold the sword. Nothing when the sword is not inside it.
    void leave(const Polygon& polygon);

    Vector2 position;
    Vector2 velocity;
    Vector2 direction{1.0, 0.0};  // unit heading, for drawing
    double total_drag = 0.0;      // cut_drag of the polygons the sword is inside
    int inside_count = 0;
    bool cannot_cut = false;
    double cannot_cut_fade = 0.0;  // follows cannot_cut within 0.1 s, for drawing
    Vector2 pending_motion;        // mouse motion since the last update, world units; not stored
    std::deque<TrailEntry> trail{TrailEntry{}};  // newest first
    // Stays unloaded until draw_sword first draws it: loading needs a GL
    // context, and the sword is made and stepped without one.
    SwordStyle style;
};
