#include "world/world.hpp"

#include <algorithm>

#include "geometry/plausible.hpp"
#include "render/gl.hpp"
#include "render/polygon_drawing.hpp"
#include "render/still_layer.hpp"
#include "render/sword_drawing.hpp"
#include "storage/base_storage.hpp"
#include "storage/file_storage.hpp"
#include "storage/log.hpp"

bool playtesting = false;

namespace {

// The smallest polygon record: empty style name, sword position, two flags,
// two counts, bounding box, rotation, angle, position, texture offset, drag.
constexpr std::size_t min_polygon_record_bytes = 4 + 16 + 1 + 1 + 4 + 4 + 32 + 32 + 8 + 16 + 16 + 8;

// Resizes the array to the stored count and loads every element in order.
template <typename P>
bool load_array(BaseStorage& storage, std::vector<P>& array)
{
    int count = 0;
    if (!storage.read_count(count, min_polygon_record_bytes))
        return false;
    array.resize(static_cast<std::size_t>(count));
    for (P& polygon : array)
        if (!polygon.load(storage))
            return false;
    return true;
}

template <typename P>
void save_array(BaseStorage& storage, const std::vector<P>& array)
{
    storage.write(static_cast<int>(array.size()));
    for (const P& polygon : array)
        polygon.save(storage);
}

}  // namespace

World::World() = default;

World::World(BaseStorage& storage)
{
    loaded_ = load(storage);
}

World::~World()
{
    if (playtesting) {
        log_out() << "Edit Mode Canceled." << '\n';
        playtesting = false;
    }
}

void World::save(BaseStorage& storage) const
{
    background.save(storage);
    particles.save(storage);
    timer.save(storage);
    sword.save(storage);
    save_array(storage, physics_polygons);
    save_array(storage, static_polygons);
    save_array(storage, goals);
    storage.write(gravity);
    storage.write(bounds_min);
    storage.write(bounds_max);
    storage.write(camera);
    storage.write(front_matter);
    storage.write(end_matter);
}

bool World::load(BaseStorage& storage)
{
    hover_selection.reset();
    if (!background.load(storage) || !particles.load(storage) || !timer.load(storage) || !sword.load(storage))
        return false;
    if (!load_array(storage, physics_polygons) || !load_array(storage, static_polygons) || !load_array(storage, goals))
        return false;
    if (!storage.read(gravity) || !storage.read(bounds_min) || !storage.read(bounds_max) || !storage.read(camera))
        return false;
    const char* out_of_range = !plausible(gravity)                                   ? "gravity is out of range"
                               : !plausible(bounds_min) || !plausible(bounds_max) ? "bounds are out of range"
                               : !plausible(camera)                               ? "camera is out of range"
                                                                                  : nullptr;
    if (out_of_range) {
        storage.refuse(out_of_range);
        return false;
    }
    clamp_camera();
    if (!storage.read(front_matter) || !storage.read(end_matter))
        return false;
    edit_view_centre = Vector2((bounds_min.x + bounds_max.x) / 2, (bounds_min.y + bounds_max.y) / 2);
    return true;
}

void World::clamp_camera()
{
    if (camera.x - view_half_width < bounds_min.x)
        camera.x = bounds_min.x + view_half_width;
    if (camera.y - view_half_height < bounds_min.y)
        camera.y = bounds_min.y + view_half_height;
    if (bounds_max.x < camera.x + view_half_width)
        camera.x = bounds_max.x - view_half_width;
    if (bounds_max.y < camera.y + view_half_height)
        camera.y = bounds_max.y - view_half_height;
}

bool World::handle_event(const SDL_Event& event, double&)
{
    switch (event.type) {
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_SPACE || event.key.keysym.sym == SDLK_ESCAPE) {
            // May replace and destroy this world.
            open_pause_menu(*this);
            return true;
        }
        return false;
    case SDL_MOUSEMOTION:
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        return sword.handle_event(event);
    default:
        return false;
    }
}

void World::apply_view()
{
    glTranslated(-camera.x, -camera.y, 0);
}

namespace {

// A shape whose picture slides stays out of the kept layer.
bool still(const Polygon& shape)
{
    return !shape.style.slides();
}

// What a shape's pixels depend on while its picture does not slide.
void add_shape(LayerKey& key, const Polygon& shape)
{
    key.add(shape.style_name);
    key.add(static_cast<std::uint64_t>(shape.style.main_texture));
    key.add(shape.position);
    key.add(shape.angle);
    for (double m : {shape.rotation.m00, shape.rotation.m01, shape.rotation.m10, shape.rotation.m11})
        key.add(m);
    key.add(shape.texture_offset);
    add_outline(key, shape);
}

// A shape's box with room for the pixels its edges round out to.
WorldBox drawn_box(Polygon& shape)
{
    constexpr double rounding = 0.01;
    WorldBox box = shape.world_box();
    box.lo -= Vector2(rounding, rounding);
    box.hi += Vector2(rounding, rounding);
    return box;
}

bool meets_any(const WorldBox& box, const std::vector<WorldBox>& boxes)
{
    return std::any_of(boxes.begin(), boxes.end(), [&box](const WorldBox& other) { return box.meets(other); });
}

}  // namespace

void World::draw()
{
    draw_level(false);
}

World::Kept World::kept_shapes(bool bodies_still)
{
    Kept kept;
    kept.bodies.assign(physics_polygons.size(), false);
    kept.goals.assign(goals.size(), false);
    std::vector<WorldBox> live;
    for (std::size_t i = 0; i < physics_polygons.size(); ++i) {
        PhysicsPolygon& body = physics_polygons[i];
        const WorldBox box = drawn_box(body);
        kept.bodies[i] = bodies_still && still(body) && !meets_any(box, live);
        if (!kept.bodies[i])
            live.push_back(box);
    }
    for (StaticPolygon& wall : static_polygons)
        if (!still(wall))
            live.push_back(drawn_box(wall));
    for (std::size_t i = 0; i < goals.size(); ++i) {
        GoalPolygon& goal = goals[i];
        const WorldBox box = drawn_box(goal);
        // Faded out, it draws nothing, sliding or not.
        kept.goals[i] = ((goal.fade == 0.0 && still(goal)) || goal.fade >= 1.0) && !meets_any(box, live);
        if (!kept.goals[i])
            live.push_back(box);
    }
    return kept;
}

void World::draw_level(bool bodies_still)
{
    const Kept kept = kept_shapes(bodies_still);
    // Panning until the camera has stood for two frames: a frame drawn twice
    // (or a camera that rests for one) is drawn as the ones around it. The
    // first frame finds the camera standing: the level has only just appeared.
    draws_since_pan_ = drawn_camera_ && camera != *drawn_camera_ ? 0 : std::min(draws_since_pan_ + 1, 2);
    drawn_camera_ = camera;
    const bool panning = draws_since_pan_ < 2;
    LayerKey key;
    key.add(camera);
    // The walls drawn while panning are not kept for when it stops.
    key.add(static_cast<std::uint64_t>(panning));
    for (const StaticPolygon& wall : static_polygons)
        if (still(wall))
            add_shape(key, wall);
    // Bodies and goals come and go from the layer, so each is a part of its
    // own: only its box is drawn again when it does.
    std::vector<LayerPart> parts;
    const auto add_part = [&](std::uint64_t name, Polygon& shape, double fade) {
        LayerKey look;
        add_shape(look, shape);
        look.add(fade);
        const WorldBox box = drawn_box(shape);
        parts.push_back({name, look.value(), box.lo - camera, box.hi - camera});
    };
    for (std::size_t i = 0; i < physics_polygons.size(); ++i)
        if (kept.bodies[i])
            add_part(i, physics_polygons[i], 0.0);
    for (std::size_t i = 0; i < goals.size(); ++i)
        if (kept.goals[i])
            add_part(std::uint64_t{1} << 32 | i, goals[i], goals[i].fade);
    static StillLayer level_layer;
    level_layer.draw(key, parts, [&] {
        draw_background();
        glPushMatrix();
        apply_view();
        draw_still_walls(panning);
        draw_shapes(kept, true);
        glPopMatrix();
    });
    glPushMatrix();
    apply_view();
    draw_shapes(kept, false);
    draw_on_top(!opening_demo_showing() && (menu_is_current() || goals_visible));
    glPopMatrix();
    timer.draw();
}

void World::draw_contents(bool show_tags)
{
    draw_still_walls(false);
    draw_shapes({std::vector<bool>(physics_polygons.size(), false), std::vector<bool>(goals.size(), false)}, false);
    draw_on_top(show_tags);
}

void World::draw_still_walls(bool panning) const
{
    for (const StaticPolygon& wall : static_polygons) {
        if (!still(wall))
            continue;
        if (panning)
            draw_moving_polygon(wall.style, wall);
        else
            wall.draw();
    }
}

void World::draw_shapes(const Kept& kept, bool in_layer) const
{
    for (std::size_t i = 0; i < physics_polygons.size(); ++i) {
        if (kept.bodies[i] != in_layer)
            continue;
        const PhysicsPolygon& body = physics_polygons[i];
        if (in_layer)
            body.draw();
        else
            draw_moving_polygon(body.style, body);
    }
    if (!in_layer)
        for (const StaticPolygon& p : static_polygons)
            if (!still(p))
                p.draw();
    for (std::size_t i = 0; i < goals.size(); ++i)
        if (kept.goals[i] == in_layer)
            goals[i].draw();
}

void World::draw_on_top(bool show_tags)
{
    draw_sword(sword.style, sword);
    particles.draw_all();
    if (show_tags) {
        for (const GoalPolygon& g : goals)
            g.target.draw_tag();
        for (const PhysicsPolygon& p : physics_polygons)
            p.item.draw_tag();
    }
}

std::string damage_text(const BaseStorage& storage)
{
    if (storage.refusal().empty())
        return "the file is damaged";
    return "the file is damaged (" + storage.refusal() + ")";
}

std::unique_ptr<World> load_level(const std::string& file_name)
{
    InFileStorage storage(file_name, false);
    if (storage.corrupt()) {
        log_err() << "Cannot open level " << file_name << ": not a level file or missing" << '\n';
        return nullptr;
    }
    auto world = std::make_unique<World>(storage);
    if (!world->loaded() || storage.bytes_left() != 0) {
        log_err() << "Cannot open level " << file_name << ": " << damage_text(storage) << '\n';
        return nullptr;
    }
    world->file_name = file_name;
    return world;
}
