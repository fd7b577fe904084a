#pragma once

#include <cstring>
#include <filesystem>

#include <gtest/gtest.h>
#include <SDL/SDL.h>

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

    TempDir dir_;
    ScopedCwd in_dir_{dir_.path()};
    std::string old_player_ = current_player_name;
    LogCapture log_;
    double dt_ = 0.033;
};
