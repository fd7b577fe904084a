// A playtest and the way back: the menus name these buttons (menu/buttons.hpp);
// the editor, above the menus, makes them work.

#include "editor/playtest.hpp"

#include <memory>

#include "editor/edit_world.hpp"
#include "menu/buttons.hpp"
#include "menu/menu_world.hpp"
#include "storage/file_storage.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"
#include "world/recording_world.hpp"
#include "world/world.hpp"

PlaytestBackup playtest_backup;

EditButton::EditButton() : StringItem("Edit", true, 0.1, Vector2(0, -0.3), 0) {}

bool EditButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    pop_menu();
    world_replaced = true;
    auto* played = dynamic_cast<World*>(current_world);
    INVARIANT(played && "w");
    if (!played)
        return true;
    std::unique_ptr<World> level;
    EditHistory history;
    if (playtest_backup.level) {
        // The level goes back to the editor as it was before the playtest,
        // in a plain World: the played one, with its recording, is done.
        MemoryStorage& backup = *playtest_backup.level;
        backup.rewind();
        level = std::make_unique<World>();
        const bool restored = level->load(backup);
        INVARIANT(restored && "store");
        (void)restored;
        level->file_name = playtest_backup.file_name;
        history = std::move(playtest_backup.history);
        playtest_backup = PlaytestBackup{};
        delete played;
    } else {
        level.reset(played);
    }
    current_world = nullptr;
    auto* editor = new EditWorld(std::move(level));
    if (history.can_undo() || history.can_redo())
        editor->adopt_history(std::move(history));
    current_world = editor;
    return true;
}

PlaytestButton::PlaytestButton() : StringItem("Playtest", true, 0.1, Vector2(0, -0.36), 0) {}

bool PlaytestButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    MenuWorld* menu = current_menu();
    auto* editor = menu ? dynamic_cast<EditWorld*>(menu->held.get()) : nullptr;
    INVARIANT(editor && "edit");
    if (!editor || !editor->world)
        return false;

    // The game is started before anything is torn down: a level with a body
    // the game refuses (left insane in the editor) keeps the editor and says so.
    auto backup = std::make_unique<MemoryStorage>();
    editor->world->save(*backup);
    backup->rewind();
    auto game = std::make_unique<RecordingWorld>(*backup, game_recording);
    if (!game->loaded()) {
        log_err() << "Cannot playtest " << editor->world->file_name << ": a body of the level is broken" << '\n';
        set_text("Playtest (fix the level first)", text_height);
        return true;
    }

    // finish() names the file and the reason when it cannot be written; the
    // playtest itself runs from memory.
    OutFileStorage file("playtest.lev");
    editor->world->save(file);
    file.finish();

    editor->commit_change();
    playtest_backup.history = std::move(editor->history);
    playtest_backup.file_name = editor->world->file_name;
    playtest_backup.level = std::move(backup);
    playtest_backup.level->rewind();

    // Destroying the edited level clears the playtesting flag, so it is set after.
    pop_menu();
    world_replaced = true;
    delete current_world;
    current_world = game.release();
    playtesting = true;
    return true;
}
