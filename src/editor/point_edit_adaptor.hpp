#pragma once

#include <memory>

#include "editor/point_interface.hpp"
#include "world/base_editable.hpp"

// Snapping step of point drags in hundredths of a level unit: 0 (off), 1, 2,
// 4, 8, 16 or 32. Shared by every drag and kept while the program runs.
extern int grid;

// c to the nearest multiple of step, halves away from zero.
double snap_to_grid(double c, double step);

// Drags one point after the cursor until the mouse button is released.
class PointEditAdaptor : public BaseEditable {
public:
    PointEditAdaptor(Vector2* target, const Vector2* cursor);
    PointEditAdaptor(std::unique_ptr<BasePointInterface> pi, const Vector2* cursor);

    // Release ends the drag; 'g' steps the grid through 1, 2, 4, 8, 16, 32, off.
    bool handle_top_event(const SDL_Event& event, double& dt, BaseEditable*& next) override;
    void edit_update(double& dt, bool& is_top) override;
    void edit_draw(bool& is_top) override;
    std::string help_text() override;

    std::unique_ptr<BasePointInterface> pi;
    const Vector2* cursor;
};
