#pragma once

#include <string>

#include <SDL/SDL.h>

// Something the level editor can stack and edit: the level itself at the
// bottom, adaptors for the thing being worked on above it. It lives with the
// level, which is one; the editor above defines the level's side of it.
class BaseEditable {
public:
    virtual ~BaseEditable() = default;
    // Events the top of the stack did not take.
    virtual bool handle_lower_event(const SDL_Event& event, double& dt) { return false; }
    // Events for the top of the stack. `next` starts as this object; another
    // object pushes it, null removes this one from the stack.
    virtual bool handle_top_event(const SDL_Event& event, double& dt, BaseEditable*& next) = 0;
    virtual void edit_update(double& dt, bool& is_top) {}
    virtual void edit_draw(bool& is_top) {}
    virtual std::string help_text() { return "No Help"; }
};
