#include <gtest/gtest.h>

#include "geometry/goal_item_info.hpp"

TEST(GoalItemInfo, TagsWriteAmountsInTheirShortestForm)
{
    EXPECT_EQ(GoalItemInfo().tag_text(), "1 Undefined");
    const std::pair<double, const char*> cases[] = {
        {0.5, "0.5 Gold"}, {1.0 / 3.0, "0.333333 Gold"}, {1234567.0, "1.23457e+06 Gold"}, {0.00005, "5e-05 Gold"}};
    for (const auto& [amount, text] : cases) {
        GoalItemInfo item;
        item.name = "Gold", item.amount = amount;
        EXPECT_EQ(item.tag_text(), text);
    }
}
