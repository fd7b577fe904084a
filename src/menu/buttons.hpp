#pragma once

#include <functional>
#include <string>

#include "menu/lockable_string_item.hpp"
#include "menu/string_item.hpp"

class World;

// The buttons of the game's menus. Each one that replaces or destroys the
// current screen says so through world_replaced and touches nothing after.

// Leaves the menu for the level list in play mode ("Play", "Onward").
class PlayButton : public StringItem {
public:
    PlayButton(std::string text, Vector2 position);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// The level list in editor mode, once the player has unlocked "Edit".
class EditorButton : public LockableStringItem {
public:
    EditorButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// The recording list, once the player has unlocked "Perfect".
class PerfectButton : public LockableStringItem {
public:
    PerfectButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// The score screen: the high-score table, or the player's personal bests.
class HighScoreButton : public StringItem {
public:
    HighScoreButton(std::string text, bool personal, Vector2 position);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    bool personal;
};

// Ends the program. Escape activates it too.
class QuitButton : public StringItem {
public:
    QuitButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Back to the opening menu; whatever the menu held goes, unless it is the
// opening demo. Escape activates it too.
class MainMenuButton : public StringItem {
public:
    MainMenuButton(std::string text, Vector2 position);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Uncovers the screen the menu holds ("Return to the game", "Begin", "Back to
// editing"). Escape activates it too.
class ReturnButton : public StringItem {
public:
    ReturnButton(std::string text, double text_height, Vector2 position);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Starts the held level again from its file, without the welcome menu. A
// level file that has gone or is damaged keeps the menu and posts a notice.
class RestartLevelButton : public StringItem {
public:
    explicit RestartLevelButton(Vector2 position);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Perfect Mode: back to the playback screen over the same playback, paused
// at its end.
class PerfectRetryButton : public StringItem {
public:
    PerfectRetryButton(std::string text, Vector2 position);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Ends a playtest: the level goes back to the editor as it was before it.
// This button and the next are the editor's, which sits above the menus and
// defines them (src/editor/playtest.cpp).
class EditButton : public StringItem {
public:
    EditButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Plays the edited level, keeping a copy in memory for EditButton.
class PlaytestButton : public StringItem {
public:
    PlaytestButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// A button that runs its action when activated (and on Escape when asked
// to). The action returns whether it replaced the current screen.
class ActionButton : public StringItem {
public:
    using Action = std::function<bool()>;
    ActionButton(std::string text, double text_height, Vector2 position, Action action, bool on_escape = false);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
    // For an action that changes the button itself.
    void set_action(Action action) { action_ = std::move(action); }

private:
    Action action_;
    bool on_escape_;
};

// The menu that names a new level: the editor opens on it once the name is
// one no level has.
class NewLevelButton : public StringItem {
public:
    NewLevelButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// Unlocks every level and button for the current player. Only the letter u
// does it, so that nobody stumbles on it with a click.
class UnlockEverythingButton : public StringItem {
public:
    UnlockEverythingButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

// One level of the level list: plays it (behind the welcome menu) or edits
// it. A level that cannot be read leaves the list as it is and says so in a
// notice.
class LoadLevelItem : public LockableStringItem {
public:
    LoadLevelItem(std::string path, std::string unlock_key, bool for_editing);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    std::string path;
    bool for_editing;
};
