#include "menu/string_list_item.hpp"

#include <algorithm>

#include "menu/image_item.hpp"
#include "menu/menu_world.hpp"
#include "render/gl.hpp"
#include "storage/invariant.hpp"

namespace {

constexpr double arrow_strip = 0.1;
constexpr double arrow_half_width = 0.05;

double entry_height(const StringItem& entry)
{
    return 2 * entry.half_height;
}

}  // namespace

StringListItem::StringListItem(double top_, double height_) : top(top_), height(height_)
{
    double aspect = 1.0;
    arrow_texture = get_menu_texture("textures/arrow_up.png", aspect);
}

bool StringListItem::handle_event(const SDL_Event& event, double& dt, bool& world_replaced)
{
    const int count = static_cast<int>(entries.size());
    if (current >= 0 && current < count && !up_arrow_held && !down_arrow_held) {
        if (entries[current]->handle_event(event, dt, world_replaced))
            return true;
    }

    if (is_key_press(event, SDLK_UP)) {
        up_arrow_held = down_arrow_held = false;
        if (current > 0) {
            current -= 1;
            return true;
        }
        return false;
    }
    if (is_key_press(event, SDLK_DOWN)) {
        up_arrow_held = down_arrow_held = false;
        if (current < count - 1) {
            current += 1;
            return true;
        }
        return false;
    }
    if (is_activation(event)) {
        if (up_arrow_held) {
            if (current >= 1)
                current -= 1;
            return true;
        }
        if (down_arrow_held) {
            if (current < count - 1)
                current += 1;
            return true;
        }
    }
    return false;
}

bool StringListItem::contains(const Vector2& p)
{
    up_arrow_held = down_arrow_held = false;
    const bool on_arrow_column = -arrow_half_width < p.x && p.x < arrow_half_width;
    if (top - arrow_strip < p.y && p.y < top && on_arrow_column) {
        up_arrow_held = true;
        return true;
    }
    if (bottom() < p.y && p.y < bottom() + arrow_strip && on_arrow_column) {
        down_arrow_held = true;
        return true;
    }
    // Only entries wholly inside the inner area can be pointed at.
    for (int i = 0; i < static_cast<int>(entries.size()); ++i) {
        const StringItem& entry = *entries[i];
        const double entry_top = entry.position.y + entry.half_height;
        const double entry_bottom = entry.position.y - entry.half_height;
        if (entry_top <= top - arrow_strip && entry_bottom >= bottom() + arrow_strip && entries[i]->contains(p)) {
            current = i;
            return true;
        }
    }
    return false;
}

void StringListItem::update(double& dt, bool& selected)
{
    if (!selected)
        up_arrow_held = down_arrow_held = false;

    const int count = static_cast<int>(entries.size());
    if (current >= 0 && current < count) {
        double acc = 0;
        for (int i = 0; i < current; ++i)
            acc += entry_height(*entries[i]);
        const double h = entry_height(*entries[current]);
        const double inner = height - 2 * arrow_strip;
        if (acc + scroll > inner - h)
            scroll = std::max(scroll - dt, inner - h - acc);
        else if (acc + scroll < 0)
            scroll = std::min(scroll + dt, -acc);
    }
    // Placed here as well as in draw, so that hit tests before the first
    // frame see the entries where they will be drawn.
    place_entries();

    for (int i = 0; i < count; ++i) {
        bool entry_selected = selected && i == current;
        entries[i]->update(dt, entry_selected);
    }
}

void StringListItem::place_entries()
{
    double entry_top = top - arrow_strip - scroll;
    for (auto& entry : entries) {
        entry->position = Vector2(0, entry_top - entry->half_height);
        entry_top -= entry_height(*entry);
    }
}

void StringListItem::draw()
{
    MenuWorld* menu = current_menu();
    INVARIANT(menu && "menu");
    place_entries();

    const double low = bottom();
    for (auto& entry : entries) {
        const double t = entry->position.y + entry->half_height;
        const double b = entry->position.y - entry->half_height;
        double v = 1;
        if (t > top)
            v = 0;
        else if (t > top - arrow_strip)
            v = (top - t) * 10;
        if (b < low)
            v = 0;
        else if (b < low + arrow_strip)
            v = v * (b - low) * 10;
        if (!menu) {
            entry->draw();
            continue;
        }
        const double opacity = menu->opacity;
        menu->opacity = opacity * v;
        entry->draw();
        menu->opacity = opacity;
    }

    const double alpha = menu_alpha();
    glBegin(GL_LINES);
    glColor4d(1, 1, 1, 0.7 * alpha);
    for (const double y : {top, low}) {
        glVertex2d(-2, y);
        glVertex2d(2, y);
    }
    glColor4d(1, 1, 1, 0.5 * alpha);
    for (const double y : {top - arrow_strip, low + arrow_strip}) {
        glVertex2d(-2, y);
        glVertex2d(2, y);
    }
    glEnd();

    // One picture for both arrows: the lower one is drawn upside down.
    const auto arrow_colour = [alpha](bool held) {
        if (held)
            glColor3d(1, 1, alpha);
        else
            glColor4d(1, 1, 1, 0.5 * alpha);
    };
    arrow_colour(up_arrow_held);
    draw_texture_quad(arrow_texture, -arrow_half_width, arrow_half_width, top - arrow_strip, top);
    arrow_colour(down_arrow_held);
    draw_texture_quad(arrow_texture, -arrow_half_width, arrow_half_width, low + arrow_strip, low);
}
