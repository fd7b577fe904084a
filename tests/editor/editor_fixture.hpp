#pragma once

#include <filesystem>
#include <fstream>
#include <memory>

#include "editor/edit_world.hpp"
#include "menu/menu_fixture.hpp"
#include "world/world.hpp"

inline SDL_Event left_button(Uint8 type)
{
    SDL_Event e = event_of(type);
    e.button.button = SDL_BUTTON_LEFT;
    return e;
}
inline SDL_Event click() { return left_button(SDL_MOUSEBUTTONDOWN); }
inline SDL_Event release() { return left_button(SDL_MOUSEBUTTONUP); }

// An editor on an empty level as the current screen, in a folder with the
// menu font and a "default" and a "wood" polygon style. Events and frames go
// to whatever screen is current.
class EditorTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        for (const char* style : {"default", "wood"}) {
            std::filesystem::create_directories(std::string("styles/polygon/") + style);
            std::ofstream(std::string("styles/polygon/") + style + "/info") << "0.05 0.1 1 0 0";
        }
        editor = new EditWorld(std::make_unique<World>());
        world = editor->world.get();
        current_world = editor;
    }

    void frame() { current_world->update(dt_); }
    // Puts the cursor on a point and lets the editor see it.
    void hover(const Vector2& at)
    {
        world->edit_view_centre = at;
        frame();
    }
    BaseEditable* top() const { return editor->edit_stack.back(); }

    EditWorld* editor = nullptr;  // owned by current_world, or by the menu over it
    World* world = nullptr;
};
