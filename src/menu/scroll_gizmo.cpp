#include "menu/scroll_gizmo.hpp"

#include "menu/menu_world.hpp"
#include "storage/log.hpp"
#include "world/world.hpp"

namespace {

World* held_world()
{
    MenuWorld* menu = current_menu();
    return menu ? dynamic_cast<World*>(menu->held.get()) : nullptr;
}

}  // namespace

ScrollGizmo::ScrollGizmo(Vector2 position_) : ImageItem("textures/scroll.png", position_, 0.2, -1, true) {}

bool ScrollGizmo::handle_event(const SDL_Event& event, double&, bool&)
{
    MenuWorld* menu = current_menu();
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        grabbed = true;
        if (World* world = held_world()) {
            log_out() << "Grabbed screen position" << '\n';
            camera = world->camera;
        }
        if (menu)
            menu->opacity = 0.1;
        return true;
    }
    if (event.type == SDL_MOUSEBUTTONUP) {
        grabbed = false;
        if (menu)
            menu->opacity = 1;
        return true;
    }
    if (!grabbed)
        return false;
    if (event.type == SDL_MOUSEMOTION) {
        camera += mouse_motion(event);
        // When the level is narrower than the screen, its upper bound wins.
        if (const World* world = held_world()) {
            if (camera.x - view_half_width < world->bounds_min.x)
                camera.x = world->bounds_min.x + view_half_width;
            if (camera.y - view_half_height < world->bounds_min.y)
                camera.y = world->bounds_min.y + view_half_height;
            if (camera.x + view_half_width > world->bounds_max.x)
                camera.x = world->bounds_max.x - view_half_width;
            if (camera.y + view_half_height > world->bounds_max.y)
                camera.y = world->bounds_max.y - view_half_height;
        }
    }
    return true;
}

void ScrollGizmo::update(double& dt, bool& selected)
{
    ImageItem::update(dt, selected);
    if (World* world = held_world(); world && grabbed)
        world->camera = camera;
}
