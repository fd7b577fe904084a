#pragma once

#include <memory>
#include <string>
#include <vector>

#include "editor/edit_history.hpp"
#include "render/gui_font.hpp"
#include "storage/level_files.hpp"
#include "world/base_editable.hpp"
#include "world/base_world.hpp"

class World;

// The level editor: the level, not running, with a stack of things being
// edited on top of it. Events go to the top of the stack first.
class EditWorld : public BaseWorld {
public:
    explicit EditWorld(std::unique_ptr<World> to_edit);
    ~EditWorld() override;

    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& dt) override;
    void draw() override;

    // Takes the level as it stands into the history when it changed since
    // the last step. Every frame calls it; a drag counts once, at its release.
    void commit_change();
    // Ctrl+Z and Ctrl+Y: the level goes back to (or forward to) a step of
    // its history; whatever was being edited is closed, so that the
    // restored level can be picked and edited at once.
    bool undo();
    bool redo();
    // The history of this level from an editor before (a playtest ends and
    // the level comes back).
    void adopt_history(EditHistory earlier);

    // Writes the level to `file` when the game could open it, else says why
    // in `why` and writes nothing. The level then belongs to that file and
    // its recovery copy goes.
    bool save_to(const std::string& file, std::string& why);
    // Changes since the level was opened or last saved.
    bool unsaved();
    // The level, unsaved changes and all, beside its file (see
    // recovery_file); false when it could not be written.
    bool write_recovery();
    // The level's name, from its file.
    std::string name() const;

    std::unique_ptr<World> world;
    // Bottom: the level itself; top: what is being edited. Not owning.
    std::vector<BaseEditable*> edit_stack;
    EditHistory history;
    GuiFont help_font{"menu.txf"};
    double scroll = 0;

private:
    bool dispatch(const SDL_Event& event, double& dt);
    bool step_history(const EditHistory::Record* (EditHistory::*step)());
    EditHistory::Record record() const;
    void restore(const EditHistory::Record& record);

    Uint8 held_buttons_ = 0;
};

// The level's record as a file holds it, but with the camera at the origin:
// loading moves the camera, and where the view looks is no change.
std::vector<unsigned char> level_record(World& level);

// The editor on a level file. Null, with one line on the error stream naming
// the file and the reason, when the level cannot be read.
std::unique_ptr<EditWorld> open_editor(const std::string& level_file);
