// The tags of bodies and goals: what they say comes from geometry, how it
// looks is drawn here.

#include <algorithm>
#include <string>
#include <vector>

#include "geometry/goal_item_info.hpp"
#include "geometry/goal_target_info.hpp"
#include "geometry/tag_font.hpp"
#include "render/gl.hpp"
#include "render/gui_font.hpp"

namespace {

// The translucent dark box behind a tag.
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

}  // namespace

const GuiFont& TagFont::font() const
{
    if (!font_)
        font_ = std::make_shared<const GuiFont>("tag.txf");
    return *font_;
}

double TagFont::text_width(const std::string& text, double height) const
{
    return font().text_width(text, height);
}

void TagFont::draw_text(const Vector2& position, const std::string& text, double height) const
{
    font().draw_text(position, text, height);
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

void GoalTargetInfo::draw_tag() const
{
    std::vector<std::string> lines;
    double widest = 0;
    for (const GoalTargetInfoBit& bit : bits) {
        lines.push_back(bit.describe());
        widest = std::max(widest, tag_font.text_width(lines.back(), tag_height));
    }
    const double n = static_cast<double>(bits.size());
    const double half_w = widest / 2 + tag_margin;
    const double half_h = n * tag_height / 2 + tag_margin;
    draw_tag_box(tag_position, half_w, half_h);

    double line_bottom = tag_position.y + n * tag_height / 2;
    for (std::size_t i = 0; i < bits.size(); ++i) {
        line_bottom -= tag_height;
        if (bits[i].satisfied())
            glColor3d(0.5, 1.0, 0.5);
        else
            glColor3d(0.5, 0.5, 0.5);
        tag_font.draw_text(Vector2(tag_position.x - widest / 2, line_bottom), lines[i], tag_height);
    }
}
