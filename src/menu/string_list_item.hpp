#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "menu/string_item.hpp"

// A scrolling list of text entries inside a band of the screen, with an arrow
// strip of 0.1 at its top and bottom. The list keeps a focused entry of its
// own and glides to keep it inside the band.
class StringListItem : public BaseMenuItem {
public:
    StringListItem(double top, double height);

    // The focused entry first; then Up and Down move the focus, and the arrows
    // step it. At either end the event is left to the menu.
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
    // Also notes which arrow is under the pointer and focuses the entry there.
    bool contains(const Vector2& p) override;
    void update(double& dt, bool& selected) override;
    // Needs a menu as the current screen: entries near the band's edges fade
    // through its opacity.
    void draw() override;

    std::vector<std::unique_ptr<StringItem>> entries;
    double top;
    double scroll = 0;
    double height;
    int current = 0;
    std::uint32_t arrow_texture;
    bool up_arrow_held = false;
    bool down_arrow_held = false;

private:
    double bottom() const { return top - height; }
    // Stacks the entries from the inner top down, shifted by the scroll.
    void place_entries();
};
