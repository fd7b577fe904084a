#include "editor/hover_link.hpp"

#include <algorithm>

#include "menu/pointer_marker.hpp"
#include "render/gl.hpp"
#include "render/random.hpp"

bool HoverPick::offer(const Vector2& candidate, const Vector2& cursor)
{
    const double d2 = (candidate - cursor).length_squared();
    if (d2 < best && d2 < 0.04) {
        best = d2;
        return true;
    }
    return false;
}

double jitter(double a, double b)
{
    return a + (b - a) * random_unit();
}

std::vector<LinkStroke> hover_link_strokes(const Vector2& from, const Vector2& to)
{
    // Each threshold the distance stays under adds a stroke.
    const double d = (to - from).length();
    const double thresholds[] = {jitter(0.1, 0.2), jitter(0.05, 0.17), jitter(0.03, 0.13), jitter(0, 0.1),
                                 jitter(0, 0.05)};
    const auto count = std::count_if(std::begin(thresholds), std::end(thresholds), [d](double t) { return t > d; });

    // Each stroke wanders sideways, less in its middle than at its ends.
    std::vector<LinkStroke> strokes;
    for (int s = 0; s < count; ++s) {
        const Vector2 start(from.x + jitter(-0.05, 0.05), from.y + jitter(-0.05, 0.05));
        const Vector2 end(to.x + jitter(-0.05, 0.05), to.y + jitter(-0.05, 0.05));
        const Vector2 delta = end - start;
        LinkStroke stroke{{start, 0.0}};
        double o = 0;
        for (double t = jitter(0, 0.1); t < 1; t += jitter(0.05, 0.15)) {
            const double alpha = jitter(0.2, 1.0);
            const double w = std::max(t, 1 - t) * std::max(t, 1 - t);
            o += jitter(-0.2, 0.2);
            if (o < -w)
                o = -w + jitter(0, 0.1);
            if (o > w)
                o = w - 0.1 + jitter(0, 0.1);
            stroke.push_back({from + t * delta + o * Vector2(-delta.y, delta.x), alpha});
        }
        stroke.push_back({end, 0.0});
        strokes.push_back(std::move(stroke));
    }
    return strokes;
}

void draw_hover_link(const Vector2& from, const Vector2& to)
{
    for (const LinkStroke& stroke : hover_link_strokes(from, to)) {
        glBegin(GL_LINE_STRIP);
        for (const LinkVertex& v : stroke) {
            glColor4d(1, 1, 1, v.alpha);
            glVertex2d(v.point.x, v.point.y);
        }
        glEnd();
    }
    // The cursor drawn over the strokes.
    draw_pointer(from);
}
