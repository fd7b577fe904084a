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
    EXPECT_EQ(item.idle_high[3], 0.5);  // raised from 0

    item.set_text("abc\n", 0.2);  // a trailing newline is a last, empty line
    EXPECT_DOUBLE_EQ(item.half_height, 0.2);
    EXPECT_NEAR(item.half_width, 0.3, 1e-7);
}

TEST_F(StringItemTest, HoverRisesFastFallsSlowlyAndOnlyThenThePulseMoves)
{
    StringItem item("x", true, 0.1, Vector2(), 0.0);
    bool selected = false;
    const double phase = item.phase;
    item.update(dt_, selected);
    EXPECT_EQ(item.phase, phase);

    selected = true;
    double dt = 0.1;
    item.update(dt, selected);
    EXPECT_DOUBLE_EQ(item.hover, 0.5);
    item.update(dt, selected);
    item.update(dt, selected);
    EXPECT_EQ(item.hover, 1.0);
    selected = false;
    item.update(dt, selected);
    EXPECT_DOUBLE_EQ(item.hover, 0.75);
    EXPECT_NE(item.phase, phase);
}

TEST_F(StringItemTest, LockedItemNeverPulsesButItsPadlocksGlow)
{
    current_player_name = "lock test";
    LockableStringItem item("Level Editor", "Edit", 0.15, Vector2(0, -0.35));
    bool selected = true;
    const double phase = item.phase;
    for (int i = 0; i < 10; ++i)
        item.update(dt_, selected);
    EXPECT_TRUE(item.locked);
    EXPECT_EQ(item.hover, 0);
    EXPECT_EQ(item.phase, phase);
    EXPECT_EQ(item.lock_glow, 1.0);
    selected = false;
    item.update(dt_, selected);
    EXPECT_DOUBLE_EQ(item.lock_glow, 1 - 5 * dt_);

    // Asked every frame: unlocking shows at once, and so does another player.
    current_player_info().unlock("Edit");
    selected = true;
    item.update(dt_, selected);
    EXPECT_FALSE(item.locked);
    EXPECT_GT(item.hover, 0);
    current_player_name = "someone new";
    item.update(dt_, selected);
    EXPECT_TRUE(item.locked);
    LockableStringItem open("Open", "never registered", 0.1, Vector2());
    open.update(dt_, selected);
    EXPECT_FALSE(open.locked);
}
