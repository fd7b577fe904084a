#pragma once

#include <string>

class PlaybackWorld;
class World;

enum class Outcome { none, win, lose, time_out };

// Where a level meets the screens around it: the pause, win and loss menus,
// the player's record and the opening demo. Each is called from one place in
// World. The menus sit above the level and fill these in
// (src/menu/world_hooks.cpp), so that a level never includes a menu.

// Space or Escape during play.
void open_pause_menu(World& world);
// A step found the level won, lost or out of time. Who reacts depends on the
// current screen: normal play opens the win or loss menu (and a win unlocks
// the goals' keys), a taken-over replay opens them in Perfect Mode, anything
// else only prints.
void react_to_outcome(World& world, Outcome outcome);
// True while the opening demo is the current screen or under the current
// menu, however many menus are stacked over it.
bool opening_demo_showing();
// A taken-over playback goes back under the playback screen in Perfect Mode.
void open_perfect_playback_screen(PlaybackWorld& playback);
// True while a menu is the current screen (the game paused under it).
bool menu_is_current();
// The "Goals visible during game?" option.
extern bool goals_visible;
