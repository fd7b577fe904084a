#pragma once

#include <memory>
#include <string>

#include "geometry/vector2.hpp"
#include "world/base_editable.hpp"

class Polygon;

// The sanity check the editor holds an edited polygon to: the polygon's own,
// then what the level loader demands of a polygon (polygon_fault, and for a
// movable body body_fault over the mass it will have), so that a level made
// in the editor can always be opened again.
bool edit_sanity_check(const Polygon& polygon, std::string& message, Vector2& where);

// Edits one polygon: drags its vertices and its rotation, spin and velocity
// handles, adds and deletes points and edges, and opens the material, item
// and goal menus. It cannot be left while the polygon is not sane.
class PolygonEditAdaptor : public BaseEditable {
public:
    PolygonEditAdaptor(Polygon* polygon, const Vector2* cursor);

    bool handle_top_event(const SDL_Event& event, double& dt, BaseEditable*& next) override;
    void edit_update(double& dt, bool& is_top) override;
    void edit_draw(bool& is_top) override;
    std::string help_text() override;

    // What the child drags, so that a dragged handle can be read back.
    enum class Handle { none, vertex, rotation, position, spin, velocity };

    Polygon* polygon;
    Vector2 picked_point;  // set by the level's hover rule
    const Vector2* cursor;
    std::unique_ptr<BaseEditable> child;
    Handle child_handle = Handle::none;
    int selected_point = -1;
    Vector2 rotation_handle;
    Vector2 spin_handle;
    Vector2 velocity_handle;
    Vector2 problem_point;
    bool insane = false;
    std::string problem;
    double blink = 0;

private:
    void place_handles();
    void read_dragged_handle();
    void check_sanity();
    void delete_point(int index);
};

// Adds (remove false) or removes an edge from a vertex to the vertex the
// next click lands near.
class PolygonEdgeEditAdaptor : public BaseEditable {
public:
    PolygonEdgeEditAdaptor(Polygon* polygon, const Vector2* cursor, int from_point, bool remove);

    bool handle_top_event(const SDL_Event& event, double& dt, BaseEditable*& next) override;
    void edit_update(double& dt, bool& is_top) override;
    void edit_draw(bool& is_top) override;
    std::string help_text() override;

    Polygon* polygon;
    const Vector2* cursor;
    int from_point;
    int target_point = -1;
    bool remove;
};
