#include "menu/lockable_string_item.hpp"
#include "menu/menu_fixture.hpp"

using StringItemTest = MenuTest;

TEST_F(StringItemTest, LinesStackByTextHeightAndTheWidestSetsTheWidth)
{
    StringItem item("ab\nabcd", false, 0.1, Vector2(0.5, 0.2), 0.0);
    EXPECT_DOUBLE_EQ(2 * item.half_height, 0.2);
    EXPECT_NEAR(item.half_width, 0.2, 1e-7);  // four characters of width 0.1
    EXPECT_TRUE(item.contains(Vector2(0.5 + 0.19, 0.2 + 0.09)));
    EXPECT_FALSE(item.contains(Vector2(0.5 + 0.21, 0.2)));
    EXPECT_FALSE(item.contains(Vector2(0.5, 0.2 + item.half_height)));  // strictly inside only

    item.set_text("abc\n", 0.2);  // a trailing newline is a last, empty line
    EXPECT_DOUBLE_EQ(item.half_height, 0.2);
    EXPECT_NEAR(item.half_width, 0.3, 1e-7);
}

TEST_F(StringItemTest, ALockedItemFollowsThePlayersKeysEveryFrame)
{
    current_player_name = "lock test";
    LockableStringItem locked("Level Editor", "Edit", 0.15, Vector2(0, -0.35));
    bool selected = true;
    locked.update(dt_, selected);
    EXPECT_TRUE(locked.locked);
    EXPECT_EQ(locked.hover, 0) << "a locked item never lights up";
    current_player_info().unlock("Edit");
    locked.update(dt_, selected);
    EXPECT_FALSE(locked.locked);
    EXPECT_GT(locked.hover, 0);
    current_player_name = "someone new";
    locked.update(dt_, selected);
    EXPECT_TRUE(locked.locked);
    LockableStringItem open("Open", "never registered", 0.1, Vector2());
    open.update(dt_, selected);
    EXPECT_FALSE(open.locked);
}
