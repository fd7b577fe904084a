#include "world/world_hooks.hpp"

#include "menu/menu_world.hpp"
#include "menu/playback_screen.hpp"
#include "menu/screens.hpp"
#include "progress/player_info.hpp"
#include "progress/save_results.hpp"
#include "sound/audio.hpp"
#include "storage/log.hpp"
#include "world/base_world.hpp"
#include "world/playback_world.hpp"
#include "world/recording_world.hpp"
#include "world/world.hpp"

bool goals_visible = false;

void open_pause_menu(World& world)
{
    // A replay meets the pause presses it recorded; only the game being
    // played pauses.
    if (current_world == &world) {
        hush_world_sounds();
        build_pause_menu();
    }
}

void react_to_outcome(World& world, Outcome outcome)
{
    // Normal play and a taken-over replay are the current screen; a world
    // replayed or edited behind another screen only says how it ended.
    // Perfect Mode unlocks nothing.
    const bool current = current_world == &world;
    const bool perfect = current && dynamic_cast<PlaybackWorld*>(&world);
    const bool played = current && dynamic_cast<RecordingWorld*>(&world);
    if (outcome == Outcome::win && current && !perfect) {
        bool unlocked = false;
        for (const GoalPolygon& goal : world.goals) {
            if (goal.done && goal.target.unlocks) {
                unlocked = current_player_info().unlock(goal.target.name) || unlocked;
                log_out() << "Unlocked: " << goal.target.name << '\n';
            }
        }
        if (unlocked)
            save_results_now();
    }
    if (played || perfect) {
        if (outcome == Outcome::win)
            build_win_menu(perfect);
        else if (outcome != Outcome::none)
            build_lose_menu(outcome == Outcome::time_out, perfect);
        return;
    }
    switch (outcome) {
    case Outcome::win:
        log_out() << "WIN!!!" << '\n';
        break;
    case Outcome::lose:
        log_out() << "LOSE!!!" << '\n';
        break;
    case Outcome::time_out:
        log_out() << "Time-Out!!!" << '\n';
        break;
    case Outcome::none:
        break;
    }
}

bool opening_demo_showing()
{
    // A menu can hold another menu (a question over the level list): the
    // demo, if it shows, is the screen at the bottom.
    const BaseWorld* screen = current_world;
    while (const auto* menu = dynamic_cast<const MenuWorld*>(screen))
        screen = menu->held.get();
    const auto* playback = dynamic_cast<const PlaybackWorld*>(screen);
    return playback && playback->opening_demo;
}

void open_perfect_playback_screen(PlaybackWorld& playback)
{
    if (current_world == &playback)
        build_playback_screen("", true);
}

bool menu_is_current()
{
    return current_menu() != nullptr;
}
