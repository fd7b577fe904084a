#pragma once

#include <vector>

#include "app/base_world.hpp"
#include "geometry/physics_polygon.hpp"
#include "geometry/static_polygon.hpp"
#include "geometry/sword.hpp"
#include "render/gui_font.hpp"
#include "render/particles.hpp"

// The opening menu's background when no level can be loaded: a few bodies in
// the game's styles fall onto walls while the sword follows the mouse. Escape
// leaves.
class PlaceholderWorld : public BaseWorld {
public:
    PlaceholderWorld();
    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& dt) override;
    void draw() override;

private:
    std::vector<StaticPolygon> walls_;
    std::vector<PhysicsPolygon> bodies_;
    Sword sword_;
    GuiFont title_font_{"menu.txf"};
    GuiFont hint_font_{"default.txf"};
    double time_ = 0.0;
};
