#include "menu/menu_world.hpp"

#include <algorithm>

#include "geometry/view.hpp"
#include "menu/pointer_marker.hpp"
#include "sound/audio.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

namespace {

// The presses that work a menu item, as opposed to typing into one.
bool activates(const SDL_Event& event)
{
    if (event.type == SDL_MOUSEBUTTONDOWN)
        return true;
    if (event.type != SDL_KEYDOWN)
        return false;
    const SDLKey key = event.key.keysym.sym;
    return key == SDLK_SPACE || key == SDLK_RETURN || key == SDLK_KP_ENTER;
}

}  // namespace

Vector2 saved_menu_pointer;

MenuWorld* current_menu()
{
    return dynamic_cast<MenuWorld*>(current_world);
}

double menu_alpha()
{
    const MenuWorld* menu = current_menu();
    return menu ? menu->fade * menu->opacity : 1.0;
}

void pop_menu()
{
    MenuWorld* menu = current_menu();
    INVARIANT(menu && "menu");
    if (!menu)
        return;
    current_world = menu->held.release();
    delete menu;
}

MenuWorld::MenuWorld(bool hidden_, bool freeze_held_, double idle_limit_, StringItem hint_)
    : held(current_world),
      pointer(saved_menu_pointer),
      idle_limit(idle_limit_),
      hidden(hidden_),
      freeze_held(freeze_held_),
      fade(hidden_ ? 0.0 : 1.0),
      hint(std::move(hint_))
{
}

MenuWorld::~MenuWorld()
{
    log_out() << "MenuWorld Gets It." << '\n';
    held.reset();
    items.clear();
    decorations.clear();
    saved_menu_pointer = pointer;
}

bool MenuWorld::handle_event(const SDL_Event& event, double& dt)
{
    idle_time = 0;

    if (hidden) {
        if (event.type == SDL_KEYDOWN || fade != 0) {
            hidden = false;
            return true;
        }
        return false;
    }

    if (selected >= 0 && selected < static_cast<int>(items.size())) {
        bool world_replaced = false;
        const bool handled = items[selected]->handle_event(event, dt, world_replaced);
        if (handled && activates(event))
            play_effect(Effect::menu_activate, 0.6f, 1, VoiceGroup::menu);
        if (world_replaced) {
            // The menu may be gone already: touch nothing.
            INVARIANT(handled && "handled");
            return true;
        }
        if (handled)
            return true;
    }

    const int count = static_cast<int>(items.size());
    if (event.type == SDL_KEYDOWN) {
        switch (event.key.keysym.sym) {
        case SDLK_UP:
            selected = count == 0 ? -1 : selected <= 0 ? count - 1 : selected - 1;
            play_effect(Effect::menu_move, 0.5f, 1, VoiceGroup::menu);
            return true;
        case SDLK_DOWN:
            selected = count == 0 ? -1 : selected + 1 >= count ? 0 : selected + 1;
            play_effect(Effect::menu_move, 0.5f, 1, VoiceGroup::menu);
            return true;
        case SDLK_ESCAPE:
            selected = count - 1;
            return true;
        default:
            return false;
        }
    }

    if (event.type == SDL_MOUSEMOTION) {
        pointer += mouse_motion(event);
        pointer.y = std::clamp(pointer.y, -1.0, 1.0);
        pointer.x = std::clamp(pointer.x, -view_half_width, view_half_width);
        for (int i = 0; i < count; ++i) {
            if (items[i]->contains(pointer)) {
                if (selected != i) {
                    selected = i;
                    play_effect(Effect::menu_move, 0.5f, 1, VoiceGroup::menu);
                }
                return true;
            }
        }
    }
    return false;
}

void MenuWorld::update(double& dt)
{
    if (held && !freeze_held)
        held->update(dt);

    if (idle_limit > 0) {
        if (idle_time <= idle_limit)
            idle_time += dt;
        else
            hidden = true;
    }

    if (hidden)
        fade = std::max(fade - 2 * dt, 0.0);
    else
        fade = std::min(fade + 2 * dt, 1.0);

    if (!items.empty() && selected == -1)
        selected = 0;

    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        bool is_selected = i == selected;
        items[i]->update(dt, is_selected);
    }
    for (auto& decoration : decorations) {
        bool is_selected = false;
        decoration->update(dt, is_selected);
    }
    bool hint_selected = true;
    hint.update(dt, hint_selected);
}

void MenuWorld::draw()
{
    if (held)
        held->draw();
    for (auto& decoration : decorations)
        decoration->draw();
    for (auto& item : items)
        item->draw();
    if (!hidden)
        draw_pointer(pointer);
    // The hint shows exactly as much as the menu has faded.
    const double menu_fade = fade;
    fade = 1 - fade;
    hint.draw();
    fade = menu_fade;
}
