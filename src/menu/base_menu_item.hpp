#pragma once

#include <SDL/SDL.h>

#include "geometry/vector2.hpp"
#include "geometry/view.hpp"

// One entry of a menu: a button, a label, a field, a list. The menu owns its
// items and asks them in this order: events, hit tests, updates, drawing.
class BaseMenuItem {
public:
    // True when the item used the event. An item that replaced or destroyed
    // current_world (and so, perhaps, its menu and itself) sets world_replaced
    // and returns true; nobody touches it afterwards.
    virtual bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced);
    virtual bool contains(const Vector2& p) = 0;
    // `selected` is true for the item the menu has selected.
    virtual void update(double& dt, bool& selected) = 0;
    virtual void draw() = 0;
    virtual ~BaseMenuItem();
};

// Space or any mouse button. Return never activates, so that it can end a
// line in a text field.
inline bool is_activation(const SDL_Event& event)
{
    return (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_SPACE) || event.type == SDL_MOUSEBUTTONDOWN;
}

inline bool is_key_press(const SDL_Event& event, SDLKey key)
{
    return event.type == SDL_KEYDOWN && event.key.keysym.sym == key;
}

// Mouse motion in screen units; only the relative motion counts, as the
// window grabs the mouse and hides the cursor.
inline Vector2 mouse_motion(const SDL_Event& event)
{
    return Vector2(event.motion.xrel * 2 / double(window_height), -event.motion.yrel * 2 / double(window_height));
}
