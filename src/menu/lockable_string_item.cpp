#include "menu/lockable_string_item.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "menu/image_item.hpp"
#include "menu/menu_world.hpp"
#include "progress/player_info.hpp"
#include "render/gl.hpp"
#include "render/random.hpp"

LockableStringItem::LockableStringItem(std::string text_, std::string unlock_key_, double text_height_,
                                       Vector2 position_)
    : StringItem(std::move(text_), true, text_height_, position_, 0.0),
      lock_phase(random_unit() * 2 * std::numbers::pi),
      unlock_key(std::move(unlock_key_))
{
    double aspect = 1.0;
    lock_texture = get_menu_texture("textures/lock.png", aspect);
}

void LockableStringItem::update(double& dt, bool& selected)
{
    locked = current_player_info().is_locked(unlock_key);
    // A locked item never lights up; only its padlocks answer the selection.
    bool lit = selected && !locked;
    StringItem::update(dt, lit);
    lock_phase += 10 * dt;
    while (lock_phase > 2 * std::numbers::pi)
        lock_phase -= 2 * std::numbers::pi;
    if (selected)
        lock_glow = std::min(lock_glow + 10 * dt, 1.0);
    else
        lock_glow = std::max(lock_glow - 5 * dt, 0.0);
}

void LockableStringItem::draw()
{
    StringItem::draw();
    if (!locked || menu_alpha() == 0)
        return;
    const double size = 2 * half_height;
    const double bottom = position.y - half_height, top = position.y + half_height;
    const double alpha =
        selected_high[3] * menu_alpha() * (0.4 + 0.4 * lock_glow + 0.2 * lock_glow * std::sin(lock_phase));
    glColor4d(1, 1, 1, alpha);
    const double left_edge = position.x - half_width - 0.01;
    draw_texture_quad(lock_texture, left_edge - size, left_edge, bottom, top, true);
    const double right_edge = position.x + half_width + 0.01;
    draw_texture_quad(lock_texture, right_edge, right_edge + size, bottom, top);
}
