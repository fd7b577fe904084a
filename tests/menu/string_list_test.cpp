#include <memory>

#include "menu/menu_fixture.hpp"
#include "menu/string_list_item.hpp"

namespace {

// Ten one-line entries of height 0.1 in a band from 0.5 down to -0.1: the
// inner area (0.4 to 0) holds four of them.
class ListTest : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        for (int i = 0; i < 10; ++i)
            list.entries.push_back(std::make_unique<StringItem>("entry", false, 0.1, Vector2(), 0.0));
    }
    bool send(const SDL_Event& event)
    {
        bool replaced = false;
        return list.handle_event(event, dt_, replaced);
    }
    void settle()
    {
        bool selected = true;
        for (int i = 0; i < 100; ++i)
            list.update(dt_, selected);
    }
    // Top of the current entry below the inner area's top.
    double current_offset() const { return 0.4 - (list.entries[list.current]->position.y + 0.05); }

    StringListItem list{0.5, 0.6};
};

}  // namespace

TEST_F(ListTest, KeysMoveTheFocusWhichGlidesIntoTheBand)
{
    settle();
    EXPECT_EQ(list.scroll, 0);
    EXPECT_FALSE(send(key_press(SDLK_UP)));  // the ends are left to the menu
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(send(key_press(SDLK_DOWN)));
    bool selected = true;
    double dt = 0.05;
    list.update(dt, selected);
    EXPECT_DOUBLE_EQ(list.scroll, -0.05) << "at one unit a second";
    settle();
    // Entry 6 sits on the inner area's bottom edge: scrolled by 0.3, no further.
    EXPECT_NEAR(list.scroll, 0.4 - 0.1 - 0.6, 1e-12);
    EXPECT_NEAR(current_offset(), 0.3, 1e-12);
    for (int i = 0; i < 6; ++i)
        send(key_press(SDLK_UP));
    settle();
    EXPECT_DOUBLE_EQ(list.scroll, 0);
    list.current = 9;
    EXPECT_FALSE(send(key_press(SDLK_DOWN)));
}
