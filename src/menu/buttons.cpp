#include "menu/buttons.hpp"

#include <filesystem>
#include <memory>

#include "menu/menu_world.hpp"
#include "menu/screens.hpp"
#include "progress/player_info.hpp"
#include "progress/save_results.hpp"
#include "render/files.hpp"
#include "render/notice.hpp"
#include "storage/file_storage.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"
#include "world/playback_world.hpp"
#include "world/recording_world.hpp"
#include "world/world.hpp"

PlayButton::PlayButton(std::string text_, Vector2 position_) : StringItem(std::move(text_), true, 0.2, position_, 0)
{
}

bool PlayButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    pop_menu();
    build_level_list(false);
    world_replaced = true;
    return true;
}

EditorButton::EditorButton() : LockableStringItem("Level Editor", "Edit", 0.15, Vector2(0, -0.35)) {}

bool EditorButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    // Asked afresh: `locked` is only as new as the last update.
    if (!is_activation(event) || current_player_info().is_locked(unlock_key))
        return false;
    pop_menu();
    build_level_list(true);
    world_replaced = true;
    return true;
}

PerfectButton::PerfectButton() : LockableStringItem("Perfect Mode", "Perfect", 0.15, Vector2(0, -0.19)) {}

bool PerfectButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) || current_player_info().is_locked(unlock_key))
        return false;
    pop_menu();
    build_recording_list();
    world_replaced = true;
    return true;
}

HighScoreButton::HighScoreButton(std::string text_, bool personal_, Vector2 position_)
    : StringItem(std::move(text_), true, 0.11, position_, 0), personal(personal_)
{
}

bool HighScoreButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    const bool show_personal = personal;  // the button goes with its menu
    pop_menu();
    build_score_screen(show_personal);
    world_replaced = true;
    return true;
}

QuitButton::QuitButton() : StringItem("Quit", true, 0.1, Vector2(0, -0.8), 0) {}

bool QuitButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) && !is_key_press(event, SDLK_ESCAPE))
        return false;
    delete current_world;
    current_world = nullptr;
    world_replaced = true;
    return true;
}

MainMenuButton::MainMenuButton(std::string text_, Vector2 position_)
    : StringItem(std::move(text_), true, 0.1, position_, 0)
{
}

bool MainMenuButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) && !is_key_press(event, SDLK_ESCAPE))
        return false;
    pop_menu();
    build_opening_menu(false);
    world_replaced = true;
    return true;
}

ReturnButton::ReturnButton(std::string text_, double text_height_, Vector2 position_)
    : StringItem(std::move(text_), true, text_height_, position_, 0)
{
}

bool ReturnButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) && !is_key_press(event, SDLK_ESCAPE))
        return false;
    MenuWorld* menu = current_menu();
    INVARIANT(menu && menu->held && "world");
    if (!menu || !menu->held)
        return false;
    pop_menu();
    world_replaced = true;
    return true;
}

RestartLevelButton::RestartLevelButton(Vector2 position_) : StringItem("Restart", true, 0.15, position_, 0) {}

bool RestartLevelButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    MenuWorld* menu = current_menu();
    World* world = menu ? dynamic_cast<World*>(menu->held.get()) : nullptr;
    INVARIANT(world && "w");
    if (!world)
        return false;
    const std::string level_file = world->file_name;
    log_out() << "File is: " << level_file << '\n';
    // The new game is read before the old one goes: when the file has gone
    // or is damaged (the reason is printed) the player keeps this menu.
    std::unique_ptr<RecordingWorld> game = start_recording(level_file, game_recording);
    if (!game) {
        tell_level_refused(level_file);
        return true;
    }
    // Destroying the old game clears the flag.
    const bool was_playtesting = playtesting;
    pop_menu();
    delete current_world;
    current_world = game.release();
    playtesting = was_playtesting;
    world_replaced = true;
    return true;
}

PerfectRetryButton::PerfectRetryButton(std::string text_, Vector2 position_)
    : StringItem(std::move(text_), true, 0.15, position_, 0)
{
}

bool PerfectRetryButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    pop_menu();
    auto* playback = dynamic_cast<PlaybackWorld*>(current_world);
    INVARIANT(playback && "p");
    if (playback)
        playback->open_perfect_menu();
    world_replaced = true;
    return true;
}

ActionButton::ActionButton(std::string text_, double text_height_, Vector2 position_, Action action, bool on_escape)
    : StringItem(std::move(text_), true, text_height_, position_, 0), action_(std::move(action)), on_escape_(on_escape)
{
}

bool ActionButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) && !(on_escape_ && is_key_press(event, SDLK_ESCAPE)))
        return false;
    // The action may destroy this button with its menu.
    const Action action = action_;
    world_replaced = action();
    return true;
}

NewLevelButton::NewLevelButton() : StringItem("New Level", true, 0.2, Vector2(0, 0.3), 0) {}

bool NewLevelButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    build_new_level_menu();
    world_replaced = true;
    return true;
}

UnlockEverythingButton::UnlockEverythingButton() : StringItem("Unlock Everything", true, 0.1, Vector2(0, 0.8), 0)
{
    for (MenuColour* colour : {&selected_high, &selected_low, &idle_high, &idle_low}) {
        (*colour)[1] = 0.1;
        (*colour)[2] = 0.1;
    }
}

bool UnlockEverythingButton::handle_event(const SDL_Event& event, double&, bool&)
{
    if (!is_key_press(event, SDLK_u))
        return false;
    if (current_player_info().unlock_everything())
        save_results_now();
    return true;
}

LoadLevelItem::LoadLevelItem(std::string path_, std::string unlock_key_, bool for_editing_)
    : LockableStringItem(level_name(path_), std::move(unlock_key_), 0.1, Vector2(0, 0)),
      path(std::move(path_)),
      for_editing(for_editing_)
{
}

bool LoadLevelItem::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) || current_player_info().is_locked(unlock_key))
        return false;
    // The level is read before the list goes: a missing or damaged file is
    // reported, on the error stream and in a notice, and the list stays.
    if (for_editing) {
        if (!edit_level(path))
            return true;
    } else {
        std::unique_ptr<RecordingWorld> game = start_recording(path, game_recording);
        if (!game) {
            tell_level_refused(path);
            return true;
        }
        delete current_world;
        current_world = game.release();
        build_welcome_menu();
    }
    world_replaced = true;
    return true;
}

// The loaders have named the file and the reason on the error stream; the
// player is told on the screen, which stays as it was.
void tell_level_refused(const std::string& path)
{
    post_notice("Cannot open the level " + level_name(path) +
                (file_exists(path) ? ": its file is damaged" : ": its file is missing"));
}
