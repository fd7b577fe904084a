#pragma once

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>
#include <SDL/SDL.h>

#include "menu/menu_world.hpp"
#include "progress/player_info.hpp"
#include "render/notice.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "support/txf_builder.hpp"
#include "world/base_world.hpp"

inline SDL_Event event_of(Uint8 type)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof e);
    e.type = type;
    return e;
}

inline SDL_Event key_press(SDLKey sym, int mod = KMOD_NONE)
{
    SDL_Event e = event_of(SDL_KEYDOWN);
    e.key.keysym.sym = sym;
    e.key.keysym.mod = static_cast<SDLMod>(mod);
    return e;
}

inline SDL_Event mouse_move(int xrel, int yrel)
{
    SDL_Event e = event_of(SDL_MOUSEMOTION);
    e.motion.xrel = static_cast<Sint16>(xrel);
    e.motion.yrel = static_cast<Sint16>(yrel);
    return e;
}

// Runs in a fresh folder holding a "menu.txf" whose every printable glyph
// advances by exactly one text height, so a line of n characters is n × h wide.
// Leaves no screen and no notice behind.
class MenuTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        TxfBuilder font;
        for (int code = 32; code <= 126; ++code)
            font.glyph(static_cast<std::uint16_t>(code), 1, 1, 0, 0, 8, 0, 0);
        write_file_bytes("menu.txf", font.fill_atlas(255).bytes());
        clear_notices();
    }
    void TearDown() override
    {
        delete current_world;
        current_world = nullptr;
        current_player_name = old_player_;
        save_changed_players();
        clear_notices();
    }

    // The newest line showing over the screens; empty when none.
    static std::string last_notice() { return notices().empty() ? std::string() : notices().back().text; }

    // Events go to whatever screen is current, as the game's loop does it.
    bool send(const SDL_Event& event) { return current_world->handle_event(event, dt_); }
    bool press(SDLKey key) { return send(key_press(key)); }
    // Selects the current menu's item that shows `text`.
    StringItem* item(const std::string& text)
    {
        MenuWorld* menu = current_menu();
        for (std::size_t i = 0; menu && i < menu->items.size(); ++i)
            if (auto* found = dynamic_cast<StringItem*>(menu->items[i].get()); found && found->text == text) {
                menu->selected = static_cast<int>(i);
                return found;
            }
        ADD_FAILURE() << "no item " << text;
        return nullptr;
    }
    void activate(const std::string& text)
    {
        if (item(text))
            press(SDLK_SPACE);
    }
    static bool has_label(const std::string& text)
    {
        MenuWorld* menu = current_menu();
        for (std::size_t i = 0; menu && i < menu->decorations.size(); ++i)
            if (auto* label = dynamic_cast<StringItem*>(menu->decorations[i].get()); label && label->text == text)
                return true;
        return false;
    }

    TempDir dir_;
    ScopedCwd in_dir_{dir_.path()};
    std::string old_player_ = current_player_name;
    LogCapture log_;
    double dt_ = 0.033;
};
