#include <memory>

#include "menu/menu_fixture.hpp"
#include "menu/menu_world.hpp"

namespace {

class ProbeScreen : public BaseWorld {
public:
    explicit ProbeScreen(bool& gone) : gone_(gone) {}
    ~ProbeScreen() override { gone_ = true; }
    bool handle_event(const SDL_Event&, double&) override { return true; }
    void update(double&) override {}
    void draw() override {}

private:
    bool& gone_;
};

// Counts its events; the last one of a menu takes Escape and uncovers the
// held screen, as the return buttons do.
class ProbeItem : public StringItem {
public:
    ProbeItem(Vector2 at, bool takes_escape) : StringItem("item", true, 0.1, at, 0.0), takes_escape_(takes_escape) {}
    bool handle_event(const SDL_Event& event, double&, bool& world_replaced) override
    {
        ++events;
        if (!takes_escape_ || !is_key_press(event, SDLK_ESCAPE))
            return false;
        pop_menu();
        return world_replaced = true;
    }
    int events = 0;

private:
    bool takes_escape_;
};

class MenuWorldTest : public MenuTest {
protected:
    // Over a probe screen, three items 0.4 wide and 0.1 high at y = 0.5, 0, -0.5.
    MenuWorld& make_menu()
    {
        current_world = new ProbeScreen(held_gone_);
        auto* menu = new MenuWorld(false, false, 30, hint());
        for (int i = 0; i < 3; ++i)
            menu->items.push_back(std::make_unique<ProbeItem>(Vector2(0, 0.5 - 0.5 * i), i == 2));
        current_world = menu;
        return *menu;
    }
    static StringItem hint() { return StringItem("Press Any Key for Menu", true, 0.1, Vector2(0, -0.95), 0.0); }
    int events(MenuWorld& menu, int i) { return static_cast<ProbeItem&>(*menu.items[i]).events; }

    bool held_gone_ = false;
};

}  // namespace

TEST_F(MenuWorldTest, ArrowsWrapAndEscapeSelectsTheLastItemWhichMayThenTakeIt)
{
    MenuWorld& menu = make_menu();
    menu.update(dt_);
    EXPECT_EQ(menu.selected, 0);
    send(key_press(SDLK_UP));
    EXPECT_EQ(menu.selected, 2);
    send(key_press(SDLK_DOWN));
    send(key_press(SDLK_DOWN));
    EXPECT_EQ(menu.selected, 1);
    // The selected item sees every event first, even those the menu then uses.
    EXPECT_EQ(events(menu, 0), 2);
    EXPECT_TRUE(send(key_press(SDLK_ESCAPE)));
    EXPECT_EQ(menu.selected, 2);
    EXPECT_EQ(current_world, &menu);

    BaseWorld* held = menu.held.get();
    EXPECT_TRUE(send(key_press(SDLK_ESCAPE)));
    EXPECT_EQ(current_world, held);
    EXPECT_FALSE(held_gone_);
    EXPECT_EQ(log_.out(), "MenuWorld Gets It.\n");
}
