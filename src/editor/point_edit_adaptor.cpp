#include "editor/point_edit_adaptor.hpp"

#include <algorithm>
#include <cmath>
#include <utility>

#include "editor/hover_link.hpp"
#include "render/gl.hpp"
#include "render/random.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

int grid = 0;

namespace {

Vector2 snapped(const Vector2& p, double step)
{
    return Vector2(snap_to_grid(p.x, step), snap_to_grid(p.y, step));
}

// Right and up, left and down, left and up, right and down.
constexpr std::pair<int, int> corner_directions[] = {{1, 1}, {-1, -1}, {-1, 1}, {1, -1}};

void line(double x0, double y0, double x1, double y1)
{
    glVertex2d(x0, y0);
    glVertex2d(x1, y1);
}

}  // namespace

double snap_to_grid(double c, double step)
{
    return c > 0 ? step * std::trunc(c / step + 0.5) : step * std::trunc(c / step - 0.5);
}

PointEditAdaptor::PointEditAdaptor(Vector2* target, const Vector2* cursor_)
    : PointEditAdaptor(std::make_unique<PointInterface>(target), cursor_)
{
}

PointEditAdaptor::PointEditAdaptor(std::unique_ptr<BasePointInterface> pi_, const Vector2* cursor_)
    : pi(std::move(pi_)), cursor(cursor_)
{
    INVARIANT(cursor && "cursor");
    INVARIANT(pi && "pi");
}

bool PointEditAdaptor::handle_top_event(const SDL_Event& event, double&, BaseEditable*& next)
{
    if (event.type == SDL_MOUSEBUTTONUP) {
        next = nullptr;
        return true;
    }
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_g) {
        grid = grid == 0 ? 1 : grid * 2 % 64;
        log_out() << grid << '\n';
        return true;
    }
    return false;
}

void PointEditAdaptor::edit_update(double&, bool& is_top)
{
    INVARIANT(is_top && "top_of_stack");
    Vector2 target = *cursor;
    if (grid != 0) {
        // The jitter keeps snapped points from lining up exactly, which the
        // cutting's intersection tests treat as a special case.
        target = snapped(target, grid * 0.01);
        target.x += random_unit() * 0.002 - 0.001;
        target.y += random_unit() * 0.002 - 0.001;
    }
    pi->set(target);
}

void PointEditAdaptor::edit_draw(bool& is_top)
{
    INVARIANT(is_top && "top_of_stack");
    const Vector2 p = pi->get();
    const Vector2 c = *cursor;
    constexpr double h = 0.02;
    glBegin(GL_LINES);
    // A cross on the point, a square around the cursor.
    glColor3d(jitter(0.6, 1.0), 0.9, 0.4);
    line(p.x + h, p.y + h, p.x - h, p.y - h);
    line(p.x + h, p.y - h, p.x - h, p.y + h);
    line(c.x - h, c.y - h, c.x + h, c.y - h);
    line(c.x + h, c.y - h, c.x + h, c.y + h);
    line(c.x + h, c.y + h, c.x - h, c.y + h);
    line(c.x - h, c.y + h, c.x - h, c.y - h);

    // Grid corners around the snapped point, fading out with distance.
    if (grid != 0) {
        const double s = grid * 0.01;
        const Vector2 g = snapped(p, s);
        for (int jn = 0; jn * s < 0.5; ++jn) {
            const double j = jn * s;
            for (int in = 0; in * s < 0.5; ++in) {
                const double i = in * s;
                glColor4d(1, 1, 1, std::max(0.0, 0.5 * (0.5 - i - j)));
                for (const auto& [sx, sy] : corner_directions) {
                    const double x = g.x + sx * j;
                    const double y = g.y + sy * i;
                    line(x, y, x + sx * s, y);
                    line(x, y, x, y + sy * s);
                }
            }
        }
    }
    glEnd();
}

std::string PointEditAdaptor::help_text()
{
    return "Move to change position. 'g' to change grid resolution.";
}
