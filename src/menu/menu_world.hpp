#pragma once

#include <memory>
#include <vector>

#include "menu/base_menu_item.hpp"
#include "menu/string_item.hpp"
#include "world/base_world.hpp"

// Every menu of the game: items over an optional screen kept underneath (a
// paused game, a playback, the editor). It can fade out to a one-line hint
// after a while without input, and back in.
class MenuWorld : public BaseWorld {
public:
    // Takes current_world as the held screen. The creator adds items and
    // decorations, may pick a start item, and then makes the menu current.
    MenuWorld(bool hidden, bool freeze_held, double idle_limit, StringItem hint);
    ~MenuWorld() override;

    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& dt) override;
    void draw() override;

    std::unique_ptr<BaseWorld> held;
    std::vector<std::unique_ptr<BaseMenuItem>> items;
    // Titles and labels: updated and drawn, never selected, never given events.
    std::vector<std::unique_ptr<BaseMenuItem>> decorations;
    Vector2 pointer;
    int selected = -1;
    double idle_limit;  // 0 or less: never hide
    double idle_time = 0;
    bool hidden;
    bool freeze_held;
    double fade;
    double opacity = 1;
    StringItem hint;
};

// Where the last menu left its pointer; the next one starts there.
extern Vector2 saved_menu_pointer;

// current_world as a menu, or null when it is something else.
MenuWorld* current_menu();

// fade × opacity of the current menu, 1 when no menu is current. Every item
// draws with it, whichever menu owns the item.
double menu_alpha();

// Uncovers the held screen: it becomes current and the current menu goes.
void pop_menu();
