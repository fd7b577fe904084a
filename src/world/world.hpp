#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "geometry/goal_polygon.hpp"
#include "geometry/physics_polygon.hpp"
#include "geometry/static_polygon.hpp"
#include "geometry/sword.hpp"
#include "geometry/view.hpp"
#include "render/particles.hpp"
#include "storage/base_storable.hpp"
#include "world/base_editable.hpp"
#include "world/base_world.hpp"
#include "world/level_timer.hpp"
#include "world/step_report.hpp"
#include "world/world_hooks.hpp"

// A level: its bodies, walls and goals, the sword, the clock. It is the game
// screen, the whole content of a level file, and the bottom of the editor's
// stack.
class World : public BaseWorld, public BaseStorable, public BaseEditable {
public:
    World();
    // Reads a whole level record; check loaded() before using the world.
    explicit World(BaseStorage& storage);
    ~World() override;

    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& dt) override;
    void draw() override;
    // The level as draw() shows it; with bodies_still (nothing steps the
    // level, as in the editor) the bodies are kept with the walls too.
    void draw_level(bool bodies_still);
    void apply_view() override;
    // What the camera moves over, in level units: walls, bodies, goals, the
    // sword, the sparks and, with show_tags, the goals' and bodies' tags.
    void draw_contents(bool show_tags);

    void save(BaseStorage& storage) const override;
    // False when the record is damaged; the world must then be thrown away.
    bool load(BaseStorage& storage) override;
    bool loaded() const { return loaded_; }

    // Level-wide editing, defined with the editor (src/editor/world_edit.cpp):
    // the cursor, the hover selection, new and deleted polygons, the level's
    // menus.
    bool handle_lower_event(const SDL_Event& event, double& dt) override;
    bool handle_top_event(const SDL_Event& event, double& dt, BaseEditable*& next) override;
    void edit_update(double& dt, bool& is_top) override;
    void edit_draw(bool& is_top) override;
    std::string help_text() override;
    // Brings what the game reads from the polygons up to date after an edit
    // (masses, boxes, tag places) and keeps the time storable; every editor
    // frame does, and the editor on opening a level.
    void refresh_edited();
    // Back to the start-of-play state without moving anything: the sword at
    // rest where it is, no cut under way, no impulse pending, no goal done.
    void sanitize();

    // Moves the camera so that the visible area stays inside the bounds; when
    // the bounds are smaller than the screen the maximum side wins.
    void clamp_camera();

    Vector2 edit_view_centre;
    Background background;
    ParticleManager particles;
    Sword sword;
    std::vector<PhysicsPolygon> physics_polygons;
    std::vector<StaticPolygon> static_polygons;
    std::vector<GoalPolygon> goals;
    Vector2 gravity{0, -1};
    Vector2 bounds_min{-1.998046875, -1.1};
    Vector2 bounds_max{1.998046875, 1.1};
    Vector2 camera;
    std::unique_ptr<BaseEditable> hover_selection;
    LevelTimer timer;
    std::string file_name = "default.lev";
    std::string front_matter;
    std::string end_matter;

    // What the last step found; not stored.
    Outcome outcome = Outcome::none;
    // What the last step did that can be heard; not stored.
    StepReport report;
    // How loud the steps are heard: 1 in play, less behind a menu, 0 silent.
    float loudness = 1;

    // Which bodies and goals draw_level keeps in the layer under everything
    // drawn live: each that holds still, unless something live is drawn
    // under it in the usual order (bodies, sliding walls, goals). Nothing
    // whose picture slides holds still; a goal holds still at a steady fade
    // (faded out, sliding or not), a body only with bodies_still.
    struct Kept {
        std::vector<bool> bodies;
        std::vector<bool> goals;
    };
    Kept kept_shapes(bool bodies_still);

private:
    // The walls that never change on the screen while the camera stands:
    // drawn first, and kept as a picture with the background. While it pans,
    // each is drawn as a body that moves.
    void draw_still_walls(bool panning) const;
    // The bodies, sliding walls and goals in their order: those kept, or
    // the others.
    void draw_shapes(const Kept& kept, bool in_layer) const;
    // The sword, the sparks and the tags, over every shape.
    void draw_on_top(bool show_tags);

    bool loaded_ = true;
    // Where the camera was on the last frame draw_level drew (none before
    // the first), and how many frames it has drawn since the camera moved
    // (counted to two, all that matters).
    std::optional<Vector2> drawn_camera_;
    int draws_since_pan_ = 2;
};

// The sword's move of this step through the movable bodies, from the newest
// point of its trail to its position: crossings in order while its energy
// lasts, the end of the move, the splits, the removal of slivers (kept in
// `removed` when given). Fills the report's crossings, bounces and splits.
void cut_pass(std::vector<PhysicsPolygon>& bodies, Sword& sword, StepReport& report,
              std::vector<PhysicsPolygon>* removed = nullptr);

// Set while a level is being playtested from the editor.
extern bool playtesting;

// Loads a level file into a fresh world. Null, with one line on the error
// stream naming the file and the reason, when it cannot be opened or is damaged.
std::unique_ptr<World> load_level(const std::string& file_name);

// "the file is damaged", with the loader's reason when a check gave one:
// "the file is damaged (toughness is negative)".
std::string damage_text(const BaseStorage& storage);
