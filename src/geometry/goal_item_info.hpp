#pragma once

#include <string>

#include "geometry/vector2.hpp"
#include "render/gui_font.hpp"
#include "storage/base_storable.hpp"

// Item and goal tags: lines of text this high, on a dark box this much larger.
constexpr double tag_height = 0.07;
constexpr double tag_margin = 0.02;

// The translucent dark box behind a tag.
void draw_tag_box(const Vector2& centre, double half_w, double half_h);

// What a movable body is and how much of it there is. Goals accept bodies by
// it; a cut shares the amount out by mass; the game shows it as a tag.
class GoalItemInfo : public BaseStorable {
public:
    GoalItemInfo();

    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;

    // The amount as a default-formatted stream writes it, a space, the name.
    std::string tag_text() const;
    void draw_tag() const;

    std::string name = "Undefined";
    double amount = 1.0;
    Vector2 tag_position;  // world; follows the body's bounding-box centre
    bool flag = false;     // kept through save and load; nothing in play reads it
    GuiFont tag_font;
};
