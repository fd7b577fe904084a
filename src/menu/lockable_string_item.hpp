#pragma once

#include <cstdint>
#include <string>

#include "menu/string_item.hpp"

// Text that stays locked, behind two padlocks, while its key is among the
// current player's locked keys. Buttons built on it ignore activation while
// `locked` is set.
class LockableStringItem : public StringItem {
public:
    LockableStringItem(std::string text, std::string unlock_key, double text_height, Vector2 position);

    // Asks the current player every frame, so that unlocking (or a change of
    // player name) shows at once.
    void update(double& dt, bool& selected) override;
    void draw() override;

    bool locked = true;
    double lock_phase;
    double lock_glow = 0;
    std::string unlock_key;
    std::uint32_t lock_texture;
};
