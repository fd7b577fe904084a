#pragma once

#include <functional>
#include <memory>
#include <string>

#include "menu/string_item.hpp"

class MenuWorld;

// The game's menu screens. Each builder makes a new MenuWorld over the current
// screen (it becomes the menu's held screen), fills it and makes it current.

// The main menu over the looping demo. The shell starts it hidden, so that
// only the demo and the hint show until a key is pressed.
void build_opening_menu(bool hidden);
// Over the game that asked for it.
void build_pause_menu();
// Shipped levels (play mode only) and the user levels.
void build_level_list(bool editor_mode);
// The kept recordings, to be perfected.
void build_recording_list();
// The high-score table, or the current player's personal bests.
void build_score_screen(bool personal);
// Over the editor.
void build_editor_pause_menu();
// Over the game that was lost; scores nothing.
void build_lose_menu(bool out_of_time, bool perfect_mode);
// Over the game that was won: keeps its recording, submits the result.
void build_win_menu(bool perfect_mode);
// Over a freshly started level, frozen until "Begin".
void build_welcome_menu();

// "Press Any Key for Menu", shown while a menu is hidden.
StringItem menu_hint();

// A file path without its folders and without a final `extension`.
std::string file_title(const std::string& path, const std::string& extension);
// A level file path without its folders and without a final ".lev".
std::string level_name(const std::string& level_path);
// What scores are kept under: "R-" + level name, "P-" in Perfect Mode.
std::string score_key(const std::string& level_path, bool perfect_mode);
// Where a result's recording is kept: "recordings/" + key + "." + player +
// "." + time text + ".rec". The player's name is made safe for a file name.
std::string result_recording_file(const std::string& key, const std::string& player, double time);

// Says in a notice that a level cannot be opened: its file is missing or damaged.
void tell_level_refused(const std::string& path);

// A menu that asks something over the current screen: the question above,
// answers added one under another, Escape on the last. show_question makes
// it current with its first answer selected; back_from_question, as an
// answer, closes it.
std::unique_ptr<MenuWorld> question_menu(const std::string& question);
void add_answer(MenuWorld& menu, const std::string& text, double y, std::function<bool()> action,
                bool on_escape = false);
void show_question(std::unique_ptr<MenuWorld> menu);
bool back_from_question();

// The editor's screens around a level's file. The editor sits above the
// menus and defines these (src/editor/editor_screens.cpp), so that the level
// list and the opening menu can reach it without including it.
// Asks the name of a new level, over the level list; the editor opens on it
// once the name is one no level has.
void build_new_level_menu();
// Leaves the editor (held by the current menu) for the opening menu; with
// unsaved changes it first asks: Save, Discard or Cancel. True: the screen
// changed.
bool quit_editor();
// The editor on a level file. When a recovery copy of it was kept, asks
// first whether to restore it. False, with a notice, when the file cannot be
// read.
bool edit_level(const std::string& path);
// An editor with unsaved changes (current, under menus, or waiting for a
// playtest to end) writes its recovery copy; for the game's exit.
void write_editor_recovery();
