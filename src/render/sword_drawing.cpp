#include "render/sword_drawing.hpp"

#include <algorithm>
#include <fstream>
#include <string>

#include "geometry/sword.hpp"
#include "render/gl.hpp"
#include "render/texture_manager.hpp"
#include "render/vertex.hpp"
#include "storage/game_folders.hpp"

namespace {

// Both sword pictures clamp on both sides.
void picture_point(double s, double t)
{
    glTexCoord2d(clamped_coordinate(s), clamped_coordinate(t));
}

}  // namespace

SwordStyle load_sword_style()
{
    SwordStyle style;
    const std::string folder = "styles/sword/default/";
    double blade_aspect = 1.0;
    double tail_aspect = 1.0;
    style.blade_texture = get_texture(folder + "sword.png", blade_aspect, GL_CLAMP, GL_CLAMP);
    style.tail_texture = get_texture(folder + "tail.png", tail_aspect, GL_CLAMP, GL_CLAMP);

    // A failed extraction may overwrite its target, so each value goes through
    // a temporary and the first failure ends the reading.
    std::ifstream info(game_path(folder + "info"));
    for (double* target : {&style.blade_size, &style.head_width_a, &style.head_width_b, &style.middle_width,
                           &style.end_width, &style.break_point, &style.full_speed, &style.alpha_speed}) {
        double value = 0.0;
        if (!(info >> value))
            break;
        *target = value;
    }
    style.blade_width = style.blade_size * blade_aspect;
    style.loaded = true;
    return style;
}

void draw_sword(SwordStyle& style, const Sword& sword)
{
    if (!style.loaded)
        style = load_sword_style();
    const double f = sword.cannot_cut_fade;
    glEnable(GL_TEXTURE_2D);

    const std::deque<TrailEntry>& trail = sword.trail;
    if (trail.size() > 2) {
        // Zero-length segments count as 0.0001 here too, so the fraction
        // run / total stays defined for a sword at rest.
        auto segment_length = [&trail](std::size_t older) {
            const double l = (trail[older - 1].point - trail[older].point).length();
            return l == 0.0 ? 0.0001 : l;
        };
        double total = 0.0;
        for (std::size_t older = trail.size() - 1; older >= 1; --older)
            total += segment_length(older);

        bind_texture(style.tail_texture, Sampling::shrunk);
        glColor3d(1.0, 1.0, 1.0);
        glBegin(GL_QUAD_STRIP);
        double run = 0.0;
        Vector2 o;
        for (std::size_t older = trail.size() - 1; older >= 1; --older) {
            const TrailEntry& p = trail[older];
            const TrailEntry& q = trail[older - 1];
            const double l = segment_length(older);
            const double u = 1.0 - run / total;
            double dt = p.age - q.age;
            if (dt <= 0.0)
                dt = 1.0;
            const double speed = l / dt;
            const double speed_fraction = std::min(speed, style.full_speed) / style.full_speed;
            if (style.alpha_speed > 0.0)
                glColor4d(1.0, 1.0, 1.0, std::min(speed, style.alpha_speed) / style.alpha_speed);
            const double b = style.break_point;
            double half_width;
            if (u < b) {
                const double g = (b - u) / b;
                half_width = ((1.0 - f) * style.head_width_b + f * style.head_width_a) * g + (1.0 - g) * style.middle_width;
            } else {
                const double g = (u - b) / (1.0 - b);
                half_width = (1.0 - g) * style.middle_width + g * style.end_width;
            }
            half_width = half_width * speed_fraction;
            const Vector2 e = (q.point - p.point) / l;
            o = Vector2(e.y, -e.x) * half_width;
            picture_point(u, 0.0);
            vertex(p.point + o);
            picture_point(u, 1.0);
            vertex(p.point - o);
            run += l;
        }
        const Vector2 newest = trail.front().point;
        picture_point(0.0, 0.0);
        vertex(newest + o);
        picture_point(0.0, 1.0);
        vertex(newest - o);
        glEnd();
    }

    const Vector2 d = sword.direction;
    const Vector2 v = (1.0 - f) * d + f * Vector2(-d.y, d.x);
    const double length = v.length();
    const Vector2 u = length == 0.0 ? Vector2(1.0, 0.0) : v / length;
    const Vector2 q(-u.y, u.x);
    const double h = style.blade_size;
    const double w = style.blade_width;
    const Vector2 p = sword.position;
    // Half the texture's width and height holds the picture, 2h long, 2w wide.
    bind_texture_at(style.blade_texture, Sampling::shrunk, 0.25 / h, 0.25 / w);
    glColor3d(1.0, 1.0, 1.0);
    glBegin(GL_QUADS);
    picture_point(1.0, 0.0);
    vertex(p + f * h * u - w * q);
    picture_point(1.0, 1.0);
    vertex(p + f * h * u + w * q);
    picture_point(0.0, 1.0);
    vertex(p + (f - 2.0) * h * u + w * q);
    picture_point(0.0, 0.0);
    vertex(p + (f - 2.0) * h * u - w * q);
    glEnd();

    glDisable(GL_TEXTURE_2D);
}
