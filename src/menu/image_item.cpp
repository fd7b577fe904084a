#include "menu/image_item.hpp"

#include <cmath>
#include <numbers>

#include "menu/menu_world.hpp"
#include "menu/string_item.hpp"
#include "render/gl.hpp"
#include "render/random.hpp"
#include "render/texture_manager.hpp"

std::uint32_t get_menu_texture(const std::string& path, double& aspect)
{
    return get_texture(path, aspect, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
}

void draw_texture_quad(std::uint32_t texture, double left, double right, double bottom, double top, bool mirrored)
{
    const double s_left = mirrored ? 1 : 0;
    const double s_right = 1 - s_left;
    bind_texture_at(texture, Sampling::shrunk, 1 / std::abs(right - left), 1 / std::abs(top - bottom));
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2d(s_left, 0);
    glVertex2d(left, top);
    glTexCoord2d(s_left, 1);
    glVertex2d(left, bottom);
    glTexCoord2d(s_right, 1);
    glVertex2d(right, bottom);
    glTexCoord2d(s_right, 0);
    glVertex2d(right, top);
    glEnd();
    glDisable(GL_TEXTURE_2D);
}

ImageItem::ImageItem(const std::string& texture_path, Vector2 position_, double width_, double height_, bool backing_)
    : position(position_),
      width(width_),
      height(height_),
      phase(random_unit() * 2 * std::numbers::pi),
      backing(backing_)
{
    // Headless there is no picture to measure; a square stands in.
    double aspect = 1.0;
    texture = get_menu_texture(texture_path, aspect);
    if (height < 0)
        height = width / aspect;
    if (width < 0)
        width = height * aspect;
}

bool ImageItem::contains(const Vector2& p)
{
    return std::abs(p.x - position.x) <= width / 2 && std::abs(p.y - position.y) <= height / 2;
}

void ImageItem::update(double& dt, bool& selected)
{
    advance_hover(dt, selected, hover, phase);
}

void ImageItem::draw()
{
    if (menu_alpha() == 0)
        return;
    const double left = position.x - width / 2, right = position.x + width / 2;
    const double bottom = position.y - height / 2, top = position.y + height / 2;
    if (backing)
        draw_backing(left, right, bottom - 0.01, top + 0.01);
    const double alpha =
        ((1 - hover) * idle_alpha + hover * selected_alpha) * (0.95 + 0.05 * std::sin(4 * phase)) * menu_alpha();
    glColor4d(1, 1, 1, alpha);
    draw_texture_quad(texture, left, right, bottom, top);
}
