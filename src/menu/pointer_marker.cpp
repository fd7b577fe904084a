#include "menu/pointer_marker.hpp"

#include <deque>

#include "render/gl.hpp"
#include "render/random.hpp"

namespace {

constexpr int ray_count = 40;

// Oldest first; rays age from short and faint to long and bright and back.
std::deque<Vector2>& ray_offsets()
{
    static std::deque<Vector2> offsets;
    return offsets;
}

}  // namespace

void draw_pointer(const Vector2& point)
{
    std::deque<Vector2>& offsets = ray_offsets();
    while (offsets.size() < ray_count) {
        const double x = random_unit() * 0.2 - 0.1;
        const double y = random_unit() * 0.2 - 0.1;
        offsets.emplace_back(x, y);
    }

    glBegin(GL_LINES);
    for (int i = 0; i < static_cast<int>(offsets.size()); ++i) {
        double f = (i + 0.5) / ray_count;
        if (f > 0.5)
            f = 1 - f;
        const Vector2 end = point + 2 * f * offsets[i];
        glColor4d(1, 1, 1, 0.7 - f);
        glVertex2d(point.x, point.y);
        glColor4d(1, 1, 1, 0);
        glVertex2d(end.x, end.y);
    }
    glEnd();

    offsets.pop_front();
    if (!offsets.empty())
        offsets.pop_front();
}
