#include "app/placeholder_world.hpp"

#include <cmath>

#include "app/opening_screen.hpp"
#include "render/gl.hpp"

void build_opening_screen(bool)
{
    current_world = new PlaceholderWorld();
}

bool PlaceholderWorld::handle_event(const SDL_Event& event, double&)
{
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
        current_world = nullptr;
        delete this;
        return true;
    }
    return false;
}

void PlaceholderWorld::update(double& dt)
{
    time_ += dt;
}

void PlaceholderWorld::draw()
{
    const double glow = 0.05 * std::sin(time_ * 0.7);
    glLoadIdentity();
    glBegin(GL_QUADS);
    glColor3d(0.05, 0.07, 0.16 + glow);
    glVertex2d(-1023.0 / 768.0, 1.0);
    glVertex2d(1023.0 / 768.0, 1.0);
    glColor3d(0.01, 0.01, 0.03);
    glVertex2d(1023.0 / 768.0, -1.0);
    glVertex2d(-1023.0 / 768.0, -1.0);
    glEnd();
}
