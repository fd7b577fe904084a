#pragma once

#include "app/base_world.hpp"

// Stands in for the opening menu until the menus exist: a quiet gradient that
// Escape leaves.
class PlaceholderWorld : public BaseWorld {
public:
    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& dt) override;
    void draw() override;

private:
    double time_ = 0.0;
};
