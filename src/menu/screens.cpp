#include "menu/screens.hpp"

#include <filesystem>
#include <memory>
#include <vector>

#include "menu/buttons.hpp"
#include "menu/menu_world.hpp"
#include "menu/score_displays.hpp"
#include "menu/scroll_gizmo.hpp"
#include "menu/string_edit_item.hpp"
#include "menu/string_list_item.hpp"
#include "progress/file_name.hpp"
#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "progress/save_results.hpp"
#include "render/files.hpp"
#include "render/notice.hpp"
#include "storage/game_folders.hpp"
#include "storage/invariant.hpp"
#include "storage/level_files.hpp"
#include "storage/log.hpp"
#include "world/level_list.hpp"
#include "world/playback_world.hpp"
#include "world/recording_world.hpp"
#include "world/time_text.hpp"
#include "world/world.hpp"

namespace {

constexpr double never_hide = -1;
const Vector2 scroll_gizmo_position(-1.23203125, 0.9);

// A new menu over the current screen; the builder fills it and makes it current.
std::unique_ptr<MenuWorld> new_menu(bool hidden, bool freeze_held, double idle_limit)
{
    return std::make_unique<MenuWorld>(hidden, freeze_held, idle_limit, menu_hint());
}

void show(std::unique_ptr<MenuWorld> menu)
{
    current_world = menu.release();
}

void add_label(MenuWorld& menu, const std::string& text, double height, Vector2 position, bool backing = true,
               double idle_alpha = 0.7)
{
    menu.decorations.push_back(std::make_unique<StringItem>(text, backing, height, position, idle_alpha));
}

template <typename Item, typename... Args>
Item& add_item(MenuWorld& menu, Args&&... args)
{
    auto item = std::make_unique<Item>(std::forward<Args>(args)...);
    Item& added = *item;
    menu.items.push_back(std::move(item));
    return added;
}

bool is_opening_demo(const BaseWorld* screen)
{
    const auto* playback = dynamic_cast<const PlaybackWorld*>(screen);
    return playback && playback->opening_demo;
}

// Lists over the opening demo let it play on; over anything else they freeze it.
bool freeze_unless_demo()
{
    return !is_opening_demo(current_world);
}

// The restart for an ordinary game, the way back to the editor for a playtest.
void add_restart_or_edit(MenuWorld& menu, Vector2 restart_position)
{
    if (playtesting)
        add_item<EditButton>(menu);
    else
        add_item<RestartLevelButton>(menu, restart_position);
}

// The two results of the win menu share the screen's width; a long text
// (a long player name, a wide font) is made smaller rather than overlap.
constexpr double result_half_width = 0.62;

void fit_width(StringItem& item)
{
    if (item.half_width > result_half_width)
        item.set_text(item.text, item.text_height * result_half_width / item.half_width);
}

void add_result(MenuWorld& menu, std::unique_ptr<StringItem> item)
{
    fit_width(*item);
    menu.decorations.push_back(std::move(item));
}

void add_result_label(MenuWorld& menu, const std::string& text, double x, bool is_new)
{
    add_result(menu, std::make_unique<StringItem>(text, true, 0.15, Vector2(x, 0.2), is_new ? 1.0 : 0.7));
}

bool is_user_level(const std::string& name)
{
    // Recovery copies are offered when their level is opened.
    return name.size() > 4 && name.ends_with(".lev") && !is_recovery_file(name);
}

bool is_recording(const std::string& name)
{
    return name.size() >= 4 && name.ends_with(".rec");
}

}  // namespace

StringItem menu_hint()
{
    return StringItem("Press Any Key for Menu", true, 0.1, Vector2(0, -0.95), 0);
}

std::string file_title(const std::string& path, const std::string& extension)
{
    std::string title = path.substr(path.rfind('/') + 1);
    if (title.ends_with(extension))
        title.resize(title.size() - extension.size());
    return title;
}

std::string level_name(const std::string& level_path)
{
    return file_title(level_path, ".lev");
}

std::string score_key(const std::string& level_path, bool perfect_mode)
{
    return (perfect_mode ? "P-" : "R-") + level_name(level_path);
}

std::string result_recording_file(const std::string& key, const std::string& player, double time)
{
    return "recordings/" + key + "." + safe_file_name(player) + "." + time_text(time) + ".rec";
}

void build_opening_menu(bool hidden)
{
    // The demo behind the menu keeps running when it is already there.
    if (!is_opening_demo(current_world)) {
        delete current_world;
        current_world = nullptr;
        if (file_exists("opening.rec")) {
            // A damaged demo is reported and left out.
            if (std::unique_ptr<PlaybackWorld> demo = open_playback("opening.rec", true))
                current_world = demo.release();
        } else {
            log_out() << "No opening.rec: the opening menu has no demo behind it" << '\n';
        }
    }
    auto menu = new_menu(hidden, false, 30);

    add_label(*menu, "Slivermere", 0.3, Vector2(0, 0.5));
    add_label(*menu, "by the Slivermere crew", 0.07, Vector2(0.34, 0.39), false);
    add_label(*menu, "<-- Click-drag here to scroll", 0.06, Vector2(-0.73203125, 0.965), false);

    add_item<UnlockEverythingButton>(*menu);
    add_item<PlayerNameEditItem>(*menu, "Name: ", current_player_name, 0.2, 0.1, false);
    add_item<PlayButton>(*menu, "Play", Vector2(0, 0));
    add_item<PerfectButton>(*menu);
    add_item<EditorButton>(*menu);
    add_item<HighScoreButton>(*menu, "High Scores", false, Vector2(0, -0.49));
    add_item<HighScoreButton>(*menu, "Personal Bests", true, Vector2(0, -0.61));
    add_item<QuitButton>(*menu);
    add_item<ScrollGizmo>(*menu, scroll_gizmo_position);
    menu->selected = 2;
    show(std::move(menu));
}

void build_pause_menu()
{
    auto menu = new_menu(false, true, never_hide);
    add_label(*menu, "Paused", 0.2, Vector2(0, 0.6));
    add_item<BoolEditItem>(*menu, "Goals visible during game? ", goals_visible, -0.5, 0.1);
    add_restart_or_edit(*menu, Vector2(0, -0.2));
    add_item<MainMenuButton>(*menu, "Quit", Vector2(0, -0.9));
    add_item<ScrollGizmo>(*menu, scroll_gizmo_position);
    add_item<ReturnButton>(*menu, "Return to the game", 0.3, Vector2(0, 0.3));
    menu->selected = 3;
    show(std::move(menu));
}

void build_editor_pause_menu()
{
    auto menu = new_menu(false, true, never_hide);
    add_item<ReturnButton>(*menu, "Back to Editing", 0.3, Vector2(0, 0.3));
    add_item<BoolEditItem>(*menu, "Goals visible during game? ", goals_visible, -0.5, 0.1);
    add_item<PlaytestButton>(*menu);
    add_item<ActionButton>(*menu, "Quit Editor", 0.1, Vector2(0, -0.9), quit_editor);
    show(std::move(menu));
}

void build_level_list(bool editor_mode)
{
    auto menu = new_menu(false, freeze_unless_demo(), never_hide);
    add_label(*menu, "Select a Level", 0.2, Vector2(0, 0.6));
    if (editor_mode)
        add_item<NewLevelButton>(*menu);
    auto& list = add_item<StringListItem>(*menu, 0.2, 1.0);

    if (!editor_mode) {
        // A missing list adds nothing.
        const std::vector<std::string> shipped = read_level_list();
        if (shipped.empty())
            log_out() << "Cannot read levels/levels.list: no shipped levels to list" << '\n';
        for (const std::string& line : shipped) {
            if (line == "---")
                continue;
            log_out() << "Level '" << line << "'" << '\n';
            list.entries.push_back(std::make_unique<LoadLevelItem>(level_file_name(line), line, false));
        }
    }
    for (const std::string& name : list_directory("userlevels")) {
        if (!is_user_level(name))
            continue;
        const std::string path = "userlevels/" + name;
        list.entries.push_back(std::make_unique<LoadLevelItem>(path, path, editor_mode));
    }

    add_item<MainMenuButton>(*menu, "Back", Vector2(0, -0.9));
    show(std::move(menu));
}

void build_recording_list()
{
    auto menu = new_menu(false, freeze_unless_demo(), never_hide);
    add_label(*menu, "Select a Recording to Perfect", 0.2, Vector2(0, 0.9));
    auto& list = add_item<StringListItem>(*menu, 0.75, 1.55);
    for (const std::string& name : list_directory("recordings"))
        if (is_recording(name))
            list.entries.push_back(std::make_unique<PerfectDemoDisplay>("recordings/" + name));
    add_item<MainMenuButton>(*menu, "Back", Vector2(0, -0.9));
    show(std::move(menu));
}

void build_score_screen(bool personal)
{
    auto menu = new_menu(false, freeze_unless_demo(), never_hide);
    add_label(*menu, personal ? "Personal Bests for " + current_player_name : std::string("High Scores"), 0.2,
              Vector2(0, 0.9));
    add_label(*menu, "(Click on a score to view the recording.)", 0.07, Vector2(0, 0.8), false);
    auto& list = add_item<StringListItem>(*menu, 0.75, 1.55);
    if (personal) {
        for (const auto& [key, time] : current_player_info().personal_bests())
            list.entries.push_back(std::make_unique<PersonalBestDisplay>(key, true, false));
    } else {
        for (const auto& [key, score] : high_scores())
            list.entries.push_back(std::make_unique<HighScoreDisplay>(key, true, false));
    }
    add_item<MainMenuButton>(*menu, "Back", Vector2(0, -0.9));
    show(std::move(menu));
}

void build_welcome_menu()
{
    const auto* level = dynamic_cast<const World*>(current_world);
    INVARIANT(level && "w");
    auto menu = new_menu(false, true, never_hide);
    add_label(*menu, "Welcome to " + (level ? level_name(level->file_name) : std::string()), 0.2, Vector2(0, 0.7));
    add_label(*menu, level ? level->front_matter : std::string(), 0.1, Vector2(0, 0.35));
    add_item<ReturnButton>(*menu, "Begin", 0.15, Vector2(0, -0.05));
    add_item<MainMenuButton>(*menu, "Quit", Vector2(0, -0.9));
    add_item<ScrollGizmo>(*menu, scroll_gizmo_position);
    show(std::move(menu));
}

void build_lose_menu(bool out_of_time, bool perfect_mode)
{
    auto menu = new_menu(false, true, never_hide);
    add_label(*menu, "You Lose", 0.3, Vector2(0, 0.3));
    if (out_of_time)
        add_label(*menu, "(Out of Time)", 0.1, Vector2(0.5, 0.1));
    if (perfect_mode)
        add_item<PerfectRetryButton>(*menu, "Let's edit that out, shall we?", Vector2(0, -0.2));
    else
        add_restart_or_edit(*menu, Vector2(0, -0.2));
    add_item<MainMenuButton>(*menu, "Quit", Vector2(0, -0.9));
    add_item<ScrollGizmo>(*menu, scroll_gizmo_position);
    show(std::move(menu));
}

namespace {

// Keeps the game's recording under the result's name. The folder is made
// when it is missing, so that a result is not lost for want of it. False
// when the file could not be written.
bool keep_recording(World& game, bool perfect_mode, const std::string& file)
{
    std::error_code ignored;
    std::filesystem::create_directories(game_path("recordings"), ignored);
    if (perfect_mode) {
        auto* playback = dynamic_cast<PlaybackWorld*>(&game);
        INVARIANT(playback && "p");
        return playback && playback->dump_recording(file);
    }
    auto* recording = dynamic_cast<RecordingWorld*>(&game);
    INVARIANT(recording && "r");
    return recording && recording->dump_recording(file);
}

}  // namespace

void build_win_menu(bool perfect_mode)
{
    auto* game = dynamic_cast<World*>(current_world);
    INVARIANT(game && "w");
    if (!game)
        return;
    auto menu = new_menu(false, true, never_hide);

    add_label(*menu, "You Win", 0.3, Vector2(0, 0.7));
    add_label(*menu, game->end_matter, 0.1, Vector2(0, 0.35));

    if (!playtesting) {
        const std::string key = score_key(game->file_name, perfect_mode);
        // The result still counts without its recording; the player is told
        // that it cannot be watched.
        if (!keep_recording(*game, perfect_mode, result_recording_file(key, current_player_name, game->timer.time)))
            post_notice("The recording of this game could not be saved");

        // The high-score table on the left, the personal best on the right.
        const double left = -0.666015625, right = 0.666015625;
        const bool high_score = high_scores().submit(key, current_player_name, game->timer);
        add_result_label(*menu, high_score ? "New High Score!" : "High Score:", left, high_score);
        auto high = std::make_unique<HighScoreDisplay>(key, false, high_score);
        high->position = Vector2(left, 0.07);
        add_result(*menu, std::move(high));

        const bool personal_best = current_player_info().submit(key, game->timer);
        add_result_label(*menu, personal_best ? "New Personal Best!" : "Personal Best:", right, personal_best);
        auto best = std::make_unique<PersonalBestDisplay>(key, false, personal_best);
        best->position = Vector2(right, 0.07);
        add_result(*menu, std::move(best));
        if (high_score || personal_best)
            save_results_now();

        if (!perfect_mode) {
            add_item<PlayButton>(*menu, "Onward", Vector2(0, -0.15));
            add_item<RestartLevelButton>(*menu, Vector2(0, -0.35));
        } else {
            add_item<MainMenuButton>(*menu, "I'm done tweaking... for now.", Vector2(0, -0.35));
            add_item<PerfectRetryButton>(*menu, "I can shave off another thousandth!", Vector2(0, -0.15));
        }
    } else {
        // A playtest scores nothing.
        add_item<EditButton>(*menu);
    }

    if (!perfect_mode)
        add_item<MainMenuButton>(*menu, "Quit", Vector2(0, -0.9));
    add_item<ScrollGizmo>(*menu, scroll_gizmo_position);
    show(std::move(menu));
}
