#include "geometry/goal_item_info.hpp"

#include <sstream>

#include "render/gl.hpp"
#include "storage/base_storage.hpp"

GoalItemInfo::GoalItemInfo() : tag_font("tag.txf") {}

void GoalItemInfo::save(BaseStorage& storage) const
{
    storage.write(name);
    storage.write(amount);
    storage.write(flag);
}

bool GoalItemInfo::load(BaseStorage& storage)
{
    return storage.read(name) && storage.read(amount) && storage.read(flag);
}

std::string GoalItemInfo::tag_text() const
{
    std::ostringstream text;
    text << amount << ' ' << name;
    return text.str();
}

void GoalItemInfo::draw_tag() const
{
    const std::string text = tag_text();
    const double w = tag_font.text_width(text, tag_height);
    const double half_w = w / 2 + tag_margin;
    const double half_h = tag_height / 2 + tag_margin;
    draw_tag_box(tag_position, half_w, half_h);
    glColor3d(1, 1, 0);
    tag_font.draw_text(Vector2(tag_position.x - w / 2, tag_position.y - tag_height / 2), text, tag_height);
}

void draw_tag_box(const Vector2& centre, double half_w, double half_h)
{
    glColor4d(0, 0, 0, 0.7);
    glBegin(GL_QUADS);
    glVertex2d(centre.x - half_w, centre.y - half_h);
    glVertex2d(centre.x + half_w, centre.y - half_h);
    glVertex2d(centre.x + half_w, centre.y + half_h);
    glVertex2d(centre.x - half_w, centre.y + half_h);
    glEnd();
}
