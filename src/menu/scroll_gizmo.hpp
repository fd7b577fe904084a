#pragma once

#include "menu/image_item.hpp"

// A handle that drags the view of the level under the menu. While it is held
// the menu turns nearly transparent, and the view never leaves the level.
class ScrollGizmo : public ImageItem {
public:
    explicit ScrollGizmo(Vector2 position);

    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
    void update(double& dt, bool& selected) override;

    bool grabbed = false;
    Vector2 camera;
};
