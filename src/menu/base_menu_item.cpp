#include "menu/base_menu_item.hpp"

bool BaseMenuItem::handle_event(const SDL_Event&, double&, bool&)
{
    return false;
}

BaseMenuItem::~BaseMenuItem() = default;
