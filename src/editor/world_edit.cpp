// The level's own editing: the bottom of the editor's stack.

#include <algorithm>
#include <cfloat>
#include <memory>
#include <type_traits>

#include "editor/hover_link.hpp"
#include "editor/point_edit_adaptor.hpp"
#include "editor/polygon_edit_adaptor.hpp"
#include "editor/property_menus.hpp"
#include "geometry/plausible.hpp"
#include "menu/base_menu_item.hpp"
#include "menu/pointer_marker.hpp"
#include "render/gl.hpp"
#include "storage/base_storage.hpp"
#include "world/world.hpp"

namespace {

// The cursor moves at most this far per mouse event, so that a jump of the
// pointer cannot throw it across the level.
constexpr double max_cursor_step = 0.25;
// The camera starts to follow when the cursor comes this close to an edge of the view.
constexpr double follow_margin = 0.9;
// Within what a level file can hold (plausible()).
constexpr double max_editable_time = 0.999 * max_stored_magnitude;

// Erases the polygon that `target` points to if `list` holds it.
template <typename P>
bool erase_from(std::vector<P>& list, const Polygon* target, Sword& sword)
{
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (static_cast<const Polygon*>(&*it) != target)
            continue;
        if constexpr (std::is_same_v<P, PhysicsPolygon>)
            sword.leave(*it);
        list.erase(it);
        return true;
    }
    return false;
}

// A new square of side 0.1 centred on the cursor.
template <typename P>
void add_square(std::vector<P>& list, const Vector2& at)
{
    P polygon;
    polygon.points = {{-0.05, -0.05}, {0.05, -0.05}, {0.05, 0.05}, {-0.05, 0.05}};
    polygon.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    polygon.position = at;
    // On the grid when there is one, like every dragged point.
    if (grid != 0)
        polygon.position = Vector2(snap_to_grid(at.x, grid * 0.01), snap_to_grid(at.y, grid * 0.01));
    polygon.trace_loops(polygon.style);
    // A level saved before the next update must already hold a real mass.
    if constexpr (std::is_same_v<P, PhysicsPolygon>)
        polygon.update_mass_properties();
    list.push_back(std::move(polygon));
}

// Nearest vertex to `cursor`, in world coordinates; false without vertices.
bool nearest_point(const Polygon& polygon, const Vector2& cursor, Vector2& nearest)
{
    double best = DBL_MAX;
    for (const Vector2& p : polygon.points) {
        const Vector2 w = polygon.to_world(p);
        const double d2 = (w - cursor).length_squared();
        if (d2 < best) {
            best = d2;
            nearest = w;
        }
    }
    return best != DBL_MAX;
}

// How far the camera moves towards a cursor `inside` the follow margin. The
// steps shrink as the margin is reached and would creep on for ever, each
// frame a new picture of the level; under about a quarter of a pixel the
// camera stands.
double follow_step(double inside)
{
    constexpr double least_step = 0.0006;
    const double f = std::min(inside / 0.8, 1.0);
    const double step = f * f * inside;
    return step < least_step ? 0.0 : step;
}

// A centroid this near a body's origin is the rounding of the sums that find
// it: the body already sits on it.
constexpr double centroid_noise = 1e-9;

// Fresh bounding box and tag positions after an edit.
void refresh(Polygon& polygon)
{
    polygon.bbox_valid = false;
    if (!polygon.points.empty())
        polygon.compute_bbox();
}

}  // namespace

bool World::handle_lower_event(const SDL_Event& event, double&)
{
    if (event.type != SDL_MOUSEMOTION)
        return false;
    Vector2 step = mouse_motion(event);
    const double length = step.length();
    if (length > max_cursor_step)
        step *= max_cursor_step / length;
    edit_view_centre += step;
    edit_view_centre.x = std::clamp(edit_view_centre.x, bounds_min.x - 1, bounds_max.x + 1);
    edit_view_centre.y = std::clamp(edit_view_centre.y, bounds_min.y - 1, bounds_max.y + 1);
    return true;
}

bool World::handle_top_event(const SDL_Event& event, double& dt, BaseEditable*& next)
{
    // A click takes what the cursor hovers over.
    if (event.type == SDL_MOUSEBUTTONDOWN && hover_selection) {
        next = hover_selection.get();
        return true;
    }
    if (event.type != SDL_KEYDOWN)
        return handle_lower_event(event, dt);

    switch (event.key.keysym.sym) {
    case SDLK_d:
        // d: delete the hovered polygon from whichever list holds it.
        if (!hover_selection)
            break;
        if (auto* adaptor = dynamic_cast<PolygonEditAdaptor*>(hover_selection.get())) {
            const Polygon* target = adaptor->polygon;
            erase_from(physics_polygons, target, sword) || erase_from(static_polygons, target, sword) ||
                erase_from(goals, target, sword);
        }
        hover_selection.reset();
        return true;
    case SDLK_p:
    case SDLK_w:
    case SDLK_g:
        // Adding may move every polygon of the list: the selection goes first.
        hover_selection.reset();
        if (event.key.keysym.sym == SDLK_p)
            add_square(physics_polygons, edit_view_centre);
        else if (event.key.keysym.sym == SDLK_w)
            add_square(static_polygons, edit_view_centre);
        else
            add_square(goals, edit_view_centre);
        return true;
    case SDLK_s:
        // s: clear motion, cuts in progress and met goals left over from play.
        sanitize();
        return true;
    case SDLK_f:
        // f: file name, front and end matter, and saving.
        open_level_file_menu(*this);
        return true;
    case SDLK_t:
        // t: countdown and starting time.
        open_level_time_menu(*this);
        return true;
    default:
        break;
    }
    // Anything else may move the cursor.
    return handle_lower_event(event, dt);
}

void World::sanitize()
{
    sword.velocity = Vector2();
    sword.direction = Vector2(1, 0);
    sword.cannot_cut_fade = 0;
    sword.cannot_cut = false;
    sword.total_drag = 0;
    sword.inside_count = 0;
    sword.pending_motion = Vector2();
    sword.trail.assign(1, TrailEntry{sword.position, 0.0});

    auto reset = [this](Polygon& polygon) {
        polygon.last_sword_pos = polygon.to_local(sword.position);
        polygon.sword_inside = false;
        polygon.inside_point_count = 0;
        polygon.cut_pending = false;
    };
    for (PhysicsPolygon& body : physics_polygons) {
        reset(body);
        body.torque = 0;
        body.force = Vector2();
        body.angular_impulse = 0;
        body.impulse = Vector2();
        body.contacts.clear();
    }
    for (StaticPolygon& wall : static_polygons)
        reset(wall);
    for (GoalPolygon& goal : goals) {
        reset(goal);
        goal.done = false;
        for (GoalTargetInfoBit& bit : goal.target.bits)
            bit.matched = 0;
    }
}

void World::edit_update(double&, bool& is_top)
{
    // The camera follows the cursor near the edges of the view.
    const Vector2& c = edit_view_centre;
    if (const double d = follow_margin - (c.x - (camera.x - view_half_width)); d > 0)
        camera.x -= follow_step(d);
    if (const double d = follow_margin - ((camera.x + view_half_width) - c.x); d > 0)
        camera.x += follow_step(d);
    if (const double d = follow_margin - ((camera.y + view_half_height) - c.y); d > 0)
        camera.y += follow_step(d);
    if (const double d = follow_margin - (c.y - (camera.y - view_half_height)); d > 0)
        camera.y -= follow_step(d);

    // The nearest handle or polygon under the cursor, ready for a click.
    if (is_top) {
        hover_selection.reset();
        HoverPick pick;
        for (Vector2* point : {&gravity, &bounds_min, &bounds_max, &sword.position})
            if (pick.offer(*point, edit_view_centre))
                hover_selection = std::make_unique<PointEditAdaptor>(point, &edit_view_centre);
        auto offer_polygons = [&](auto& list) {
            for (Polygon& polygon : list) {
                Vector2 nearest;
                if (nearest_point(polygon, edit_view_centre, nearest) && pick.offer(nearest, edit_view_centre)) {
                    auto adaptor = std::make_unique<PolygonEditAdaptor>(&polygon, &edit_view_centre);
                    adaptor->picked_point = nearest;
                    hover_selection = std::move(adaptor);
                }
            }
        };
        offer_polygons(physics_polygons);
        offer_polygons(static_polygons);
        offer_polygons(goals);
    }
    refresh_edited();
}

void World::refresh_edited()
{
    std::string message;
    Vector2 where;
    for (PhysicsPolygon& body : physics_polygons) {
        if (edit_sanity_check(body, message, where))
            body.update_mass_properties(centroid_noise);
        refresh(body);
        body.item.tag_position = body.world_bbox_centre();
    }
    for (StaticPolygon& wall : static_polygons)
        refresh(wall);
    for (GoalPolygon& goal : goals) {
        refresh(goal);
        goal.target.tag_position = goal.world_bbox_centre();
    }
    // A typed starting time the level file could not hold would make the
    // saved level unreadable.
    timer.time = std::clamp(timer.time, -max_editable_time, max_editable_time);
}

void World::edit_draw(bool& is_top)
{
    // The level's bounds.
    if (is_top)
        glColor3d(0.9, 0.7, 0.1);
    else
        glColor3d(0.5, 0.3, 0.05);
    glBegin(GL_LINE_LOOP);
    glVertex2d(bounds_min.x, bounds_min.y);
    glVertex2d(bounds_min.x, bounds_max.y);
    glVertex2d(bounds_max.x, bounds_max.y);
    glVertex2d(bounds_max.x, bounds_min.y);
    glEnd();

    // Every polygon in outline.
    for (const PhysicsPolygon& body : physics_polygons)
        body.draw_outline(false);
    for (const StaticPolygon& wall : static_polygons)
        wall.draw_outline(false);
    for (const GoalPolygon& goal : goals)
        goal.draw_outline(false);

    // Gravity, while it can be picked or is being dragged.
    auto* point = dynamic_cast<PointEditAdaptor*>(hover_selection.get());
    if (is_top || point) {
        glBegin(GL_LINES);
        glColor4d(0.2, 0.7, 0.2, 0.3);
        glVertex2d(0, 0);
        glColor4d(0.2, 0.7, 0.2, 1);
        glVertex2d(gravity.x, gravity.y);
        glEnd();
    }

    // The cursor, or a link from it to the hovered handle or vertex.
    if (is_top) {
        if (!hover_selection)
            draw_pointer(edit_view_centre);
        else if (point)
            draw_hover_link(edit_view_centre, point->pi->get());
        else if (auto* polygon = dynamic_cast<PolygonEditAdaptor*>(hover_selection.get()))
            draw_hover_link(edit_view_centre, polygon->picked_point);
    }
}

std::string World::help_text()
{
    return "Click on polys to edit. w: new wall. p: new poly. g: new goal. Click-drag screen corners to adjust. "
           "d: delete poly. s: sanatize level. t: time info. f: file info + save. Space: menu & playtest. "
           "Ctrl+Z: undo. Ctrl+Y: redo.";
}
