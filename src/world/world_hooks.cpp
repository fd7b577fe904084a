#include "world/world_hooks.hpp"

#include "app/base_world.hpp"
#include "app/log.hpp"
#include "progress/player_info.hpp"
#include "world/world.hpp"

bool goals_visible = false;

void open_pause_menu(World& world)
{
    // No pause menu yet: leaving the level ends the game.
    if (current_world == &world) {
        current_world = nullptr;
        delete &world;
    }
}

void react_to_outcome(World& world, Outcome outcome)
{
    // A level being played is the current screen; a replay or an edited level
    // steps behind another one and unlocks nothing.
    if (outcome == Outcome::win && current_world == &world) {
        for (const GoalPolygon& goal : world.goals) {
            if (goal.done && goal.target.unlocks) {
                current_player_info().unlock(goal.target.name);
                log_out() << "Unlocked: " << goal.target.name << '\n';
            }
        }
    }
    // Until the win and loss menus exist the level says how it ended and goes on.
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
    return false;
}

bool menu_is_current()
{
    return false;
}
