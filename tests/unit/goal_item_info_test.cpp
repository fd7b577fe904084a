#include <gtest/gtest.h>

#include "geometry/goal_item_info.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"

TEST(GoalItemInfo, TagsWriteNumbersInTheirShortestForm)
{
    LogCapture log;
    GoalItemInfo item;
    EXPECT_EQ(item.tag_text(), "1 Undefined");
    item.name = "Gold";
    item.amount = 0.5;
    EXPECT_EQ(item.tag_text(), "0.5 Gold");
    item.amount = 1.0 / 3.0;
    EXPECT_EQ(item.tag_text(), "0.333333 Gold") << "six significant digits";
    item.amount = 1234567.0;
    EXPECT_EQ(item.tag_text(), "1.23457e+06 Gold");
    item.amount = 0.00005;
    EXPECT_EQ(item.tag_text(), "5e-05 Gold");
}

TEST(GoalItemInfo, RecordKeepsNameAmountAndFlag)
{
    LogCapture log;
    GoalItemInfo item;
    item.name = "Cheese";
    item.amount = 2.75;
    item.flag = true;
    item.tag_position = Vector2(3, 4);
    MemoryStorage storage;
    item.save(storage);
    EXPECT_EQ(storage.bytes().size(), 4u + 6 + 8 + 1) << "the tag position is not stored";

    GoalItemInfo copy;
    ASSERT_TRUE(copy.load(storage));
    EXPECT_EQ(copy.name, "Cheese");
    EXPECT_EQ(copy.amount, 2.75);
    EXPECT_TRUE(copy.flag);
    MemoryStorage again;
    copy.save(again);
    EXPECT_EQ(again.bytes(), storage.bytes());
}

TEST(GoalItemInfo, ACutShortRecordFailsToLoad)
{
    LogCapture log;
    GoalItemInfo item;
    MemoryStorage full;
    item.save(full);
    for (std::size_t cut = 0; cut < full.bytes().size(); ++cut) {
        MemoryStorage storage;
        storage.write_raw(full.bytes().data(), cut);
        GoalItemInfo copy;
        EXPECT_FALSE(copy.load(storage)) << "cut at " << cut;
    }
}
