#pragma once

#include <filesystem>
#include <fstream>
#include <string>

#include "editor/playtest.hpp"
#include "menu/menu_fixture.hpp"
#include "menu/menu_world.hpp"
#include "menu/screens.hpp"
#include "progress/high_score_table.hpp"
#include "storage/file_storage.hpp"
#include "world/recording_helpers.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

// A small game folder in a fresh working folder: "Slice" and "Delivery" open,
// "Portions" after the "---", and the folders the game writes into. Each test
// has a player of its own and an empty high-score table.
class ScreensTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        high_scores().clear();
        static int players = 0;
        current_player_name = "Tester" + std::to_string(++players);
        for (const char* folder : {"levels", "recordings", "userlevels", "playerinfo"})
            std::filesystem::create_directory(folder);
        for (const char* name : {"Slice", "Delivery", "Portions"})
            write_level(name, std::string("levels/") + name + ".lev");
        write_text("levels/levels.list", "Slice\nDelivery\n---\nPortions\n");
    }
    void TearDown() override
    {
        MenuTest::TearDown();
        high_scores().clear();
        playtest_backup = PlaytestBackup{};
        playtesting = false;
        goals_visible = false;
    }

    static void write_level(const std::string& name, const std::string& file)
    {
        OutFileStorage out(file);
        recording_helpers::shipped_world(name)->save(out);
        ASSERT_TRUE(out.finish());
    }
    static void write_text(const std::string& file, const std::string& text) { std::ofstream(file) << text; }
    static InputScript script(const std::string& level) { return recording_helpers::solution(level); }

    void send(const SDL_Event& event)
    {
        double dt = 0.016;
        current_world->handle_event(event, dt);
    }
    void press(SDLKey key) { send(key_press(key)); }
    // Selects an item of the current menu and activates it.
    void choose(int item)
    {
        select(item);
        press(SDLK_SPACE);
    }
    void step(int frames = 1)
    {
        for (int i = 0; i < frames && current_world; ++i) {
            double dt = 0.016;
            current_world->update(dt);
        }
    }

    // Feeds the level's winning script, from frame `first`, to the current
    // screen until a menu opens. Returns the frames played.
    int play(const std::string& level, std::size_t first = 0)
    {
        const InputScript input = script(level);
        std::size_t f = first;
        for (; f < input.frames.size() && !current_menu(); ++f) {
            for (const SDL_Event& event : input.frames[f].events)
                send(event);
            double dt = input.frames[f].ms / 1000.0;
            current_world->update(dt);
        }
        return static_cast<int>(f - first);
    }

    MenuWorld& menu()
    {
        MenuWorld* current = current_menu();
        EXPECT_NE(current, nullptr);
        return *current;
    }
    // The menu's first update picks its first item when the builder chose none.
    void select(int item) { menu().selected = item; }
    bool has_label(const std::string& text)
    {
        if (!current_menu())
            return false;
        for (auto& decoration : menu().decorations)
            if (auto* label = dynamic_cast<StringItem*>(decoration.get()); label && label->text == text)
                return true;
        return false;
    }
    template <typename T>
    T* item(int i)
    {
        if (!current_menu())
            return nullptr;
        return i < static_cast<int>(menu().items.size()) ? dynamic_cast<T*>(menu().items[i].get()) : nullptr;
    }
};
