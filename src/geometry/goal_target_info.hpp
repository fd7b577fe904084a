#pragma once

#include <string>
#include <vector>

#include "geometry/tag_font.hpp"
#include "geometry/vector2.hpp"
#include "storage/base_storable.hpp"

class GoalItemInfo;

// One requirement of a goal: more than `count` items named `name`, each within
// `tolerance` of `amount` (any amount when `amount` <= 0).
class GoalTargetInfoBit : public BaseStorable {
public:
    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;

    // Counts the item when it fits and the bit is not full yet.
    bool accept(const GoalItemInfo& item);
    bool satisfied() const { return matched > count; }
    // The tag line: how many are still wanted, the name, amount and tolerance.
    std::string describe() const;

    int count = 1;
    double amount = 0.5;
    double tolerance = 0.25;
    std::string name = "Undefined";
    int matched = 0;
};

// What a goal region asks for and what completing it means for the level.
class GoalTargetInfo : public BaseStorable {
public:
    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;

    // One line per bit in a dark box centred on tag_position; satisfied bits in
    // green. Drawn by render/tag_drawing.cpp.
    void draw_tag() const;

    bool required = false;
    bool losing = false;
    bool unlocks = false;
    std::string name;  // for an unlocking goal, the level it unlocks
    std::vector<GoalTargetInfoBit> bits;
    Vector2 tag_position;  // world; follows the goal's bounding-box centre
    bool flag = false;     // kept through save and load; nothing in play reads it
    TagFont tag_font;
};
