#pragma once

#include <SDL/SDL.h>

// A screen: a level, a menu, the editor. Exactly one is current.
class BaseWorld {
public:
    virtual ~BaseWorld();
    // True when the screen used the event. dt is the frame's time in seconds.
    virtual bool handle_event(const SDL_Event& event, double& dt) = 0;
    virtual void update(double& dt) = 0;
    virtual void draw() = 0;
    // Multiplies the screen's view transform onto the current GL matrix.
    virtual void apply_view();
};

// The screen that receives events, updates and draws. A screen changes it by
// storing its successor (and destroying what it replaces); null ends the game.
extern BaseWorld* current_world;
