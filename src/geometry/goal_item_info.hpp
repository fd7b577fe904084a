#pragma once

#include <string>

#include "geometry/tag_font.hpp"
#include "geometry/vector2.hpp"
#include "storage/base_storable.hpp"

// What a movable body is and how much of it there is. Goals accept bodies by
// it; a cut shares the amount out by mass; the game shows it as a tag.
class GoalItemInfo : public BaseStorable {
public:
    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;

    // The amount as a default-formatted stream writes it, a space, the name.
    std::string tag_text() const;
    // Drawn by render/tag_drawing.cpp.
    void draw_tag() const;

    std::string name = "Undefined";
    double amount = 1.0;
    Vector2 tag_position;  // world; follows the body's bounding-box centre
    bool flag = false;     // kept through save and load; nothing in play reads it
    TagFont tag_font;
};
