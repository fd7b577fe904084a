#include "editor/edit_world.hpp"

#include <filesystem>

#include "menu/screens.hpp"
#include "render/gl.hpp"
#include "storage/file_storage.hpp"
#include "storage/game_folders.hpp"
#include "storage/invariant.hpp"
#include "storage/memory_storage.hpp"
#include "world/world.hpp"

namespace {

constexpr double help_height = 0.06;
constexpr double help_y = -0.97;
constexpr double help_gap = 0.1;  // between the end of the marquee text and its next copy
constexpr double help_speed = 0.3;  // units per second
constexpr double title_height = 0.06;

}  // namespace

EditWorld::EditWorld(std::unique_ptr<World> to_edit) : world(std::move(to_edit))
{
    INVARIANT(world && "to_edit");
    edit_stack.push_back(world.get());
    // The level's derived numbers as each frame brings them up to date are
    // no change of the designer's: a mass or moment a file holds may differ
    // in its last digit from the one worked out from the outline.
    world->refresh_edited();
    history.reset(record());
}

EditWorld::~EditWorld() = default;

bool EditWorld::handle_event(const SDL_Event& event, double& dt)
{
    // Buttons 1 to 3; the wheel's presses come without releases.
    const unsigned button = event.button.button;
    if (event.type == SDL_MOUSEBUTTONDOWN && button >= 1 && button <= 3)
        held_buttons_ |= static_cast<Uint8>(1u << (button - 1));
    if (event.type == SDL_MOUSEBUTTONUP && button >= 1 && button <= 3)
        held_buttons_ &= static_cast<Uint8>(~(1u << (button - 1)));

    if (event.type == SDL_KEYDOWN && (event.key.keysym.mod & KMOD_CTRL)) {
        const SDLKey key = event.key.keysym.sym;
        const bool shift = event.key.keysym.mod & KMOD_SHIFT;
        if (key == SDLK_z && !shift) {
            undo();
            return true;
        }
        if (key == SDLK_y || (key == SDLK_z && shift)) {
            redo();
            return true;
        }
    }

    return dispatch(event, dt);
}

bool EditWorld::dispatch(const SDL_Event& event, double& dt)
{
    // The top first; it may push something or leave.
    BaseEditable* top = edit_stack.back();
    BaseEditable* next = top;
    if (top->handle_top_event(event, dt, next)) {
        if (!next) {
            if (edit_stack.size() > 1)
                edit_stack.pop_back();
        } else if (next != top) {
            edit_stack.push_back(next);
        }
        return true;
    }

    // Then the entries below, nearest first.
    for (auto it = edit_stack.rbegin() + 1; it != edit_stack.rend(); ++it)
        if ((*it)->handle_lower_event(event, dt))
            return true;

    // Nobody wanted it: Space and Escape open the editor's menu, which holds this editor.
    if (event.type == SDL_KEYDOWN && (event.key.keysym.sym == SDLK_SPACE || event.key.keysym.sym == SDLK_ESCAPE)) {
        build_editor_pause_menu();
        return true;
    }
    return false;
}

void EditWorld::update(double& dt)
{
    for (std::size_t i = 0; i < edit_stack.size(); ++i) {
        bool is_top = i + 1 == edit_stack.size();
        edit_stack[i]->edit_update(dt, is_top);
    }
    // A change is taken in after the frame has brought the level's derived
    // numbers up to date, and once the buttons are up: a drag is one step.
    if (held_buttons_ == 0)
        commit_change();
    scroll += dt * help_speed;
}

void EditWorld::draw()
{
    // The level as it stands, not advanced.
    world->draw_level(true);

    // The editing marks, in level units.
    glPushMatrix();
    world->apply_view();
    for (std::size_t i = 0; i < edit_stack.size(); ++i) {
        bool is_top = i + 1 == edit_stack.size();
        edit_stack[i]->edit_draw(is_top);
    }
    glPopMatrix();

    // The level's name, marked while it has unsaved changes.
    glColor3d(0.9, 0.8, 0.9);
    help_font.draw_text(Vector2(-view_half_width + 0.02, 1 - title_height - 0.02),
                        name() + (history.unsaved() ? " *" : ""), title_height);

    // The help line, running as a marquee when it is wider than the screen.
    const std::string text = edit_stack.back()->help_text();
    const double width = help_font.text_width(text, help_height);
    glColor3d(0.9, 0.8, 0.9);
    if (width < 2 * view_half_width) {
        scroll = 0;
        help_font.draw_text(Vector2(-view_half_width, help_y), text, help_height);
        return;
    }
    const double period = width + help_gap;
    while (scroll > period)
        scroll -= period;
    help_font.draw_text(Vector2(-view_half_width - scroll + width + help_gap, help_y), text, help_height);
    help_font.draw_text(Vector2(-view_half_width - scroll, help_y), text, help_height);
}

EditHistory::Record EditWorld::record() const
{
    return level_record(*world);
}

void EditWorld::restore(const EditHistory::Record& record)
{
    // Adaptors point into the polygons that are about to be replaced.
    edit_stack.resize(1);
    // The view and the cursor stay where the designer left them.
    const Vector2 camera = world->camera;
    const Vector2 cursor = world->edit_view_centre;
    MemoryStorage storage;
    storage.write_raw(record.data(), record.size());
    const bool loaded = world->load(storage);
    INVARIANT(loaded && "a record the editor took itself");
    world->camera = camera;
    world->edit_view_centre = cursor;
    history.settle(this->record());
}

void EditWorld::adopt_history(EditHistory earlier)
{
    history = std::move(earlier);
    history.settle(record());
}

void EditWorld::commit_change()
{
    history.commit(record());
}

bool EditWorld::undo()
{
    return step_history(&EditHistory::undo);
}

bool EditWorld::redo()
{
    return step_history(&EditHistory::redo);
}

bool EditWorld::step_history(const EditHistory::Record* (EditHistory::*step)())
{
    // A change still in hand (a menu's, say) is a step of its own.
    commit_change();
    const EditHistory::Record* record = (history.*step)();
    if (!record)
        return false;
    restore(*record);
    return true;
}

bool EditWorld::save_to(const std::string& file, std::string& why)
{
    commit_change();
    // What the game would refuse to open is not written.
    MemoryStorage check;
    world->save(check);
    check.rewind();
    if (World(check).loaded() == false) {
        why = check.refusal().empty() ? "the game could not open it" : check.refusal();
        return false;
    }
    // A new installation may lack the folder.
    const std::filesystem::path folder = std::filesystem::path(file).parent_path();
    if (folder == "userlevels") {
        std::error_code ignored;
        std::filesystem::create_directory(game_path(folder), ignored);
    }
    OutFileStorage out(file);
    world->save(out);
    if (!out.finish()) {
        // finish() has named the file and the reason on the error stream.
        why = "the file " + file + " could not be written";
        return false;
    }
    world->file_name = file;
    history.mark_saved();
    std::error_code ignored;
    std::filesystem::remove(game_path(recovery_file(file)), ignored);
    return true;
}

bool EditWorld::unsaved()
{
    commit_change();
    return history.unsaved();
}

bool EditWorld::write_recovery()
{
    OutFileStorage out(recovery_file(world->file_name));
    world->save(out);
    return out.finish();
}

std::string EditWorld::name() const
{
    std::string name = std::filesystem::path(world->file_name).filename().string();
    if (name.ends_with(".lev"))
        name.resize(name.size() - 4);
    return name;
}

std::vector<unsigned char> level_record(World& level)
{
    // Where the view looks is no change to the level.
    const Vector2 camera = level.camera;
    level.camera = Vector2();
    MemoryStorage storage;
    level.save(storage);
    level.camera = camera;
    return storage.bytes();
}

std::unique_ptr<EditWorld> open_editor(const std::string& level_file)
{
    // load_level names the file and the reason when it refuses it.
    std::unique_ptr<World> level = load_level(level_file);
    if (!level)
        return nullptr;
    return std::make_unique<EditWorld>(std::move(level));
}
