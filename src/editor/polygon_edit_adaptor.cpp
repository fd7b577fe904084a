#include "editor/polygon_edit_adaptor.hpp"

#include <cmath>
#include <numbers>
#include <vector>

#include "editor/hover_link.hpp"
#include "editor/point_edit_adaptor.hpp"
#include "editor/property_menus.hpp"
#include "geometry/goal_polygon.hpp"
#include "geometry/physics_polygon.hpp"
#include "geometry/plausible.hpp"
#include "geometry/polygon_faults.hpp"
#include "menu/pointer_marker.hpp"
#include "render/gl.hpp"
#include "render/vertex.hpp"
#include "storage/base_storage.hpp"
#include "storage/invariant.hpp"

namespace {

constexpr double two_pi = 2 * std::numbers::pi;
constexpr double rotation_handle_radius = 0.2;

// The eight corners of the vertex and problem marks, as fractions of the radius.
constexpr Vector2 octagon[] = {{1, 0}, {0.7, -0.7}, {0, -1}, {-0.7, -0.7}, {-1, 0}, {-0.7, 0.7}, {0, 1}, {0.7, 0.7}};

double spin_handle_radius(double omega)
{
    return 0.22 + std::fabs(omega) * 0.02 / two_pi;
}

Vector2 direction_of(double a)
{
    return Vector2(std::cos(a), std::sin(a));
}

// The editor's own words for where the game's loader would refuse the body,
// or null; body_fault names the rest.
const char* body_problem(const PhysicsPolygon& body, Vector2& where)
{
    if (const int point = unbalanced_point(body.points, body.edges); point != -1) {
        where = body.points[point];
        return "Edges do not close";
    }
    where = Vector2();
    if (!(body.signed_area() > 0))
        return "Mass is zero.";
    if (!(body.density > 0))
        return "Density is not above zero.";
    if (!plausible(body.density) || !plausible(body.toughness) || !plausible(body.cut_drag) ||
        !plausible(body.item.amount))
        return "Number too large";
    return nullptr;
}

}  // namespace

bool edit_sanity_check(const Polygon& polygon, std::string& message, Vector2& where)
{
    if (!polygon.sanity_check(message, where))
        return false;
    // With fewer points nothing could pick the polygon again to delete it.
    if (polygon.points.size() < 3) {
        message = "A polygon needs three points.";
        where = Vector2();
        return false;
    }
    where = Vector2();
    Fault fault;
    if (const auto* body = dynamic_cast<const PhysicsPolygon*>(&polygon)) {
        if (const char* problem = body_problem(*body, where)) {
            message = problem;
            return false;
        }
        // The mass and moment the body will have once the edit is accepted.
        PhysicsPolygon placed = *body;
        placed.update_mass_properties();
        if (!(placed.mass >= min_body_inertia) || !(placed.moment >= min_body_inertia)) {
            message = "Too small to move.";
            return false;
        }
        if (!plausible(placed.mass) || !plausible(placed.moment)) {
            message = "Number too large";
            return false;
        }
        fault = body_fault(placed);
    } else {
        fault = polygon_fault(polygon);
    }
    if (fault) {
        message = fault.reason;
        return false;
    }
    return true;
}

PolygonEditAdaptor::PolygonEditAdaptor(Polygon* polygon_, const Vector2* cursor_) : polygon(polygon_), cursor(cursor_)
{
    INVARIANT(polygon && cursor && "cursor");
    place_handles();
}

void PolygonEditAdaptor::place_handles()
{
    rotation_handle = polygon->position + rotation_handle_radius * direction_of(polygon->angle);
    if (auto* body = dynamic_cast<PhysicsPolygon*>(polygon)) {
        const double omega = body->angular_velocity;
        spin_handle = body->position + spin_handle_radius(omega) * direction_of(body->angle + omega);
        velocity_handle = body->position + body->velocity;
    }
}

void PolygonEditAdaptor::read_dragged_handle()
{
    switch (child_handle) {
    case Handle::rotation: {
        const Vector2 u = unit_or_x(rotation_handle - polygon->position);
        polygon->angle = std::atan2(u.y, u.x);
        const double c = std::cos(polygon->angle);
        const double s = std::sin(polygon->angle);
        polygon->rotation = Rotation{c, s, -s, c};
        rotation_handle = polygon->position + rotation_handle_radius * u;
        break;
    }
    case Handle::spin: {
        auto& body = static_cast<PhysicsPolygon&>(*polygon);
        const Vector2 d = spin_handle - body.position;
        double omega = std::atan2(d.y, d.x) - body.angle;
        // The handle shows the spin modulo whole turns; keep the turns it had.
        while (omega - body.angular_velocity > std::numbers::pi)
            omega -= two_pi;
        while (omega - body.angular_velocity < -std::numbers::pi)
            omega += two_pi;
        body.angular_velocity = omega;
        spin_handle = body.position + spin_handle_radius(omega) * direction_of(body.angle + omega);
        break;
    }
    case Handle::velocity: {
        auto& body = static_cast<PhysicsPolygon&>(*polygon);
        body.velocity = velocity_handle - body.position;
        break;
    }
    default:
        place_handles();
        break;
    }
}

void PolygonEditAdaptor::check_sanity()
{
    Vector2 where;
    insane = !edit_sanity_check(*polygon, problem, where);
    if (insane) {
        problem_point = polygon->to_world(where);
        return;
    }
    // Without area there is no centroid to move to (and none to print about).
    if (polygon->signed_area() > 0) {
        const Vector2 c = polygon->centroid();
        if (!(c == Vector2()))
            polygon->shift_origin(c);
    }
}

void PolygonEditAdaptor::delete_point(int index)
{
    std::multimap<int, int> kept;
    for (const auto& [start, end] : polygon->edges) {
        if (start == index || end == index)
            continue;
        kept.emplace(start > index ? start - 1 : start, end > index ? end - 1 : end);
    }
    polygon->edges = std::move(kept);
    polygon->points.erase(polygon->points.begin() + index);
}

bool PolygonEditAdaptor::handle_top_event(const SDL_Event& event, double&, BaseEditable*& next)
{
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        if (!child)
            return false;
        next = child.get();
        return true;
    }
    if (event.type != SDL_KEYDOWN)
        return false;

    auto* body = dynamic_cast<PhysicsPolygon*>(polygon);
    auto* goal = dynamic_cast<GoalPolygon*>(polygon);
    switch (event.key.keysym.sym) {
    case SDLK_ESCAPE:
        // Keys since the last update may have changed the shape.
        check_sanity();
        if (insane)
            return false;
        if (body)
            body->update_mass_properties();
        next = nullptr;
        return true;
    case SDLK_x:
        if (body) {
            body->velocity = Vector2();
            body->angular_velocity = 0;
        }
        polygon->texture_offset = Vector2();
        return false;
    case SDLK_d:
        if (selected_point >= 0) {
            delete_point(selected_point);
            // The child may drag the erased point; a click before the next
            // update must not push it.
            child.reset();
            child_handle = Handle::none;
            selected_point = -1;
        }
        return false;
    case SDLK_e:
    case SDLK_r:
        if (selected_point < 0)
            return false;
        child = std::make_unique<PolygonEdgeEditAdaptor>(polygon, cursor, selected_point,
                                                         event.key.keysym.sym == SDLK_r);
        child_handle = Handle::none;
        next = child.get();
        return true;
    case SDLK_p:
        polygon->points.push_back(polygon->to_local(*cursor));
        return false;
    case SDLK_s:
        open_material_menu(*polygon);
        return false;
    case SDLK_g:
        if (body)
            open_item_menu(*body);
        else if (goal)
            open_goal_menu(*goal);
        return false;
    case SDLK_EQUALS:
    case SDLK_KP_PLUS:
        if (goal)
            goal->target.bits.emplace_back();
        return false;
    case SDLK_MINUS:
    case SDLK_KP_MINUS:
        if (goal && goal->target.bits.size() > 1)
            goal->target.bits.pop_back();
        return false;
    default:
        return false;
    }
}

void PolygonEditAdaptor::edit_update(double& dt, bool& is_top)
{
    // A style typed in the material menu shows at once.
    polygon->style.load_style(polygon->style_name);
    polygon->trace_loops(polygon->style);

    // Offer the vertices, then the handles, to the hover rule.
    if (is_top) {
        child.reset();
        child_handle = Handle::none;
        selected_point = -1;
        HoverPick pick;
        for (int i = 0; i < static_cast<int>(polygon->points.size()); ++i) {
            if (pick.offer(polygon->to_world(polygon->points[i]), *cursor)) {
                child = std::make_unique<PointEditAdaptor>(std::make_unique<PolygonPointInterface>(polygon, i), cursor);
                child_handle = Handle::vertex;
                selected_point = i;
            }
        }
        auto offer_handle = [&](Vector2* handle, Handle kind) {
            if (pick.offer(*handle, *cursor)) {
                child = std::make_unique<PointEditAdaptor>(handle, cursor);
                child_handle = kind;
                selected_point = -1;
            }
        };
        offer_handle(&rotation_handle, Handle::rotation);
        // A body at rest has its velocity handle on its position handle; the
        // first offered wins the tie, so Shift picks the velocity.
        const bool body = dynamic_cast<PhysicsPolygon*>(polygon) != nullptr;
        const bool velocity_first = body && (SDL_GetModState() & KMOD_SHIFT);
        if (velocity_first)
            offer_handle(&velocity_handle, Handle::velocity);
        offer_handle(&polygon->position, Handle::position);
        if (body) {
            offer_handle(&spin_handle, Handle::spin);
            if (!velocity_first)
                offer_handle(&velocity_handle, Handle::velocity);
        }
    }

    // A dragged handle sets the placement or motion; otherwise the handles follow the polygon.
    if (!is_top && child)
        read_dragged_handle();
    else
        place_handles();

    // Find any fault that would spoil the level, and where it is.
    check_sanity();

    // The motion preview repeats every half second.
    blink += dt;
    while (blink > 0.5)
        blink -= 0.5;
}

void PolygonEditAdaptor::edit_draw(bool& is_top)
{
    // The outline in detail: edge directions, and a body's velocity and spin.
    polygon->draw_outline(true);

    // A small octagon on every vertex.
    glColor3d(1, 1, 1);
    for (const Vector2& p : polygon->points) {
        const Vector2 w = polygon->to_world(p);
        const double r = jitter(0.004, 0.010);
        glBegin(GL_LINE_LOOP);
        for (const Vector2& corner : octagon)
            vertex(w + r * corner);
        glEnd();
    }

    // The cursor, or a link from it to the hovered vertex or handle.
    if (is_top) {
        if (!child) {
            draw_pointer(*cursor);
        } else {
            Vector2 target = *cursor;
            if (auto* point = dynamic_cast<PointEditAdaptor*>(child.get()))
                target = point->pi->get();
            else if (auto* other = dynamic_cast<PolygonEditAdaptor*>(child.get()))
                target = other->picked_point;
            draw_hover_link(*cursor, target);
        }
    }

    // Where the body will be over the next second, twice a second.
    const auto* body = dynamic_cast<const PhysicsPolygon*>(polygon);
    if (is_top && body && !insane) {
        for (double t = blink; t < 1; t += 0.5) {
            const double theta = body->angle + body->angular_velocity * t;
            const double c = std::cos(theta);
            const double s = std::sin(theta);
            const Vector2 at = body->position + body->velocity * t;
            auto moved = [&](const Vector2& p) { return Vector2(c * p.x - s * p.y + at.x, s * p.x + c * p.y + at.y); };
            glColor4d(1, 1, 1, 0.7 * (1 - t));
            glBegin(GL_LINES);
            for (const auto& [start, end] : body->edges) {
                vertex(moved(body->points[start]));
                vertex(moved(body->points[end]));
            }
            glEnd();
        }
    }

    // A flickering mark where the sanity check failed.
    if (insane) {
        glBegin(GL_LINE_LOOP);
        for (const Vector2& corner : octagon) {
            glColor3d(1, jitter(0.1, 0.9), 0.2);
            vertex(problem_point + jitter(0.004, 0.030) * corner);
        }
        glEnd();
    }
}

std::string PolygonEditAdaptor::help_text()
{
    if (insane)
        return "Polygon fails sanity check: " + problem;
    if (dynamic_cast<PointEditAdaptor*>(child.get()))
        return "Click and drag to move";
    return "Click on points to move, 'r' to remove edge, 'e' to add edge, 'p' creates point, 'd' deletes point, "
           "'g' edit goal info, '+' add goal, '-' remove goal, 's' style, 'x' clears velocities, "
           "Shift: the velocity handle of a body at rest";
}

PolygonEdgeEditAdaptor::PolygonEdgeEditAdaptor(Polygon* polygon_, const Vector2* cursor_, int from, bool remove_)
    : polygon(polygon_), cursor(cursor_), from_point(from), remove(remove_)
{
    INVARIANT(polygon && cursor && "cursor");
}

bool PolygonEdgeEditAdaptor::handle_top_event(const SDL_Event& event, double&, BaseEditable*& next)
{
    if (event.type != SDL_MOUSEBUTTONDOWN)
        return false;
    if (target_point >= 0) {
        auto [first, last] = polygon->edges.equal_range(from_point);
        auto existing = first;
        while (existing != last && existing->second != target_point)
            ++existing;
        if (remove && existing != last)
            polygon->edges.erase(existing);
        else if (!remove && existing == last)
            polygon->edges.emplace(from_point, target_point);
    }
    next = nullptr;
    return true;
}

void PolygonEdgeEditAdaptor::edit_update(double&, bool& is_top)
{
    INVARIANT(is_top && "top");
    const Vector2 local_cursor = polygon->to_local(*cursor);
    target_point = -1;
    double best = 0.01;
    for (int i = 0; i < static_cast<int>(polygon->points.size()); ++i) {
        const double d2 = (polygon->points[i] - local_cursor).length_squared();
        if (i != from_point && d2 < best) {
            best = d2;
            target_point = i;
        }
    }
}

void PolygonEdgeEditAdaptor::edit_draw(bool& is_top)
{
    INVARIANT(is_top && "top");
    const double green = remove ? 0.1 : 0.9;
    glBegin(GL_LINES);
    glColor3d(0.9, green, 0);
    vertex(polygon->to_world(polygon->points[from_point]));
    if (target_point >= 0) {
        vertex(polygon->to_world(polygon->points[target_point]));
    } else {
        // The prospective edge fades out towards the cursor.
        glColor4d(0.9, green, 0, 0.3);
        vertex(*cursor);
    }
    glEnd();
    draw_pointer(*cursor);
}

std::string PolygonEdgeEditAdaptor::help_text()
{
    return "Drag to another point to create a new edge. Drag to nowhere to cancel action";
}
