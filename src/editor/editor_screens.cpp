#include <memory>
#include <string>
#include <vector>

#include "editor/edit_world.hpp"
#include "editor/playtest.hpp"
#include "menu/buttons.hpp"
#include "menu/menu_world.hpp"
#include "menu/screens.hpp"
#include "menu/string_edit_item.hpp"
#include "render/files.hpp"
#include "render/notice.hpp"
#include "storage/file_storage.hpp"
#include "storage/log.hpp"
#include "world/world.hpp"

namespace {

constexpr double question_height = 0.12;
constexpr double answer_height = 0.15;

// The editor a chain of menus holds, or null.
EditWorld* held_editor(BaseWorld* screen)
{
    while (auto* menu = dynamic_cast<MenuWorld*>(screen))
        screen = menu->held.get();
    return dynamic_cast<EditWorld*>(screen);
}

void tell_not_saved(const std::string& why)
{
    post_notice("The level was not saved: " + why);
}

bool open_editor_screen(std::unique_ptr<EditWorld> editor)
{
    delete current_world;
    current_world = editor.release();
    return true;
}

// The editor on `file`, a level kept as `level_file`, in place of the
// question menu and the screen under it.
bool open_from_question(const std::string& file, const std::string& level_file)
{
    std::unique_ptr<EditWorld> editor = open_editor(file);
    if (!editor) {
        tell_level_refused(file);
        return false;
    }
    if (file != level_file) {
        // The copy is the level with changes its file does not hold yet.
        editor->world->file_name = level_file;
        editor->history.mark_unsaved();
    }
    pop_menu();
    return open_editor_screen(std::move(editor));
}

}  // namespace

std::unique_ptr<MenuWorld> question_menu(const std::string& question)
{
    auto menu = std::make_unique<MenuWorld>(false, true, -1, menu_hint());
    menu->decorations.push_back(std::make_unique<StringItem>(question, true, question_height, Vector2(0, 0.4), 0.7));
    return menu;
}

void add_answer(MenuWorld& menu, const std::string& text, double y, ActionButton::Action action, bool on_escape)
{
    menu.items.push_back(
        std::make_unique<ActionButton>(text, answer_height, Vector2(0, y), std::move(action), on_escape));
}

void show_question(std::unique_ptr<MenuWorld> menu)
{
    menu->selected = 0;
    current_world = menu.release();
}

bool back_from_question()
{
    pop_menu();
    return true;
}

void build_new_level_menu()
{
    auto menu = question_menu("Name of the new level:");
    auto name = std::make_shared<std::string>();
    menu->items.push_back(std::make_unique<LevelNameEditItem>("", *name, Vector2(0, 0.2), answer_height, false));
    add_answer(*menu, "Create", -0.1, [name] {
        if (!is_level_name(*name)) {
            post_notice("A level name holds letters, digits, blanks, - and _");
            return false;
        }
        const std::string file = user_level_file(*name);
        if (file_exists(file) || file_exists(recovery_file(file))) {
            post_notice("A level called " + *name + " exists: open it from the list");
            return false;
        }
        pop_menu();
        auto level = std::make_unique<World>();
        level->file_name = file;
        return open_editor_screen(std::make_unique<EditWorld>(std::move(level)));
    });
    add_answer(*menu, "Back", -0.8, back_from_question, true);
    show_question(std::move(menu));
}

bool quit_editor()
{
    EditWorld* editor = held_editor(current_world);
    const auto leave = [] {
        // Down to the editor, which the opening menu then replaces.
        while (current_menu())
            pop_menu();
        build_opening_menu(false);
        return true;
    };
    if (!editor || !editor->unsaved())
        return leave();

    auto menu = question_menu("Save the changes to " + editor->name() + "?");
    add_answer(*menu, "Save", 0.1, [editor, leave] {
        std::string why;
        if (!editor->save_to(editor->world->file_name, why)) {
            tell_not_saved(why);
            return false;
        }
        return leave();
    });
    add_answer(*menu, "Discard", -0.1, leave);
    add_answer(*menu, "Cancel", -0.3, back_from_question, true);
    show_question(std::move(menu));
    return true;
}

bool edit_level(const std::string& path)
{
    const std::string recovery = recovery_file(path);
    if (!file_exists(recovery) || path == recovery) {
        std::unique_ptr<EditWorld> editor = open_editor(path);
        if (!editor) {
            tell_level_refused(path);
            return false;
        }
        return open_editor_screen(std::move(editor));
    }

    auto menu = question_menu("Unsaved changes to " + level_name(path) + " were kept. Restore them?");
    add_answer(*menu, "Restore", 0.1, [path, recovery] { return open_from_question(recovery, path); });
    add_answer(*menu, "Open the saved level", -0.1, [path] { return open_from_question(path, path); });
    add_answer(*menu, "Back", -0.8, back_from_question, true);
    show_question(std::move(menu));
    return true;
}

void write_editor_recovery()
{
    if (EditWorld* editor = held_editor(current_world)) {
        if (editor->unsaved() && !editor->write_recovery())
            log_err() << "The unsaved changes to " << editor->name() << " could not be kept" << '\n';
        return;
    }
    // A playtest: the level as the editor left it waits in memory.
    if (playtest_backup.level && playtest_backup.history.unsaved()) {
        OutFileStorage out(recovery_file(playtest_backup.file_name));
        const std::vector<unsigned char>& bytes = playtest_backup.level->bytes();
        out.write_raw(bytes.data(), bytes.size());
        out.finish();
    }
}
