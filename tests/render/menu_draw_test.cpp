#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "menu/lockable_string_item.hpp"
#include "menu/menu_world.hpp"
#include "progress/player_info.hpp"
#include "render/gl.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/level_list.hpp"
#include "world/world.hpp"

namespace {

class MenuDraw : public GameFolderGlTest {
protected:
    using Frame = std::vector<std::uint8_t>;  // top row first

    static Frame draw(BaseWorld& screen)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        screen.draw();
        int w = 0, h = 0;
        return read_rgba(w, h);
    }

    static int channel(const Frame& frame, double ux, double uy, int c)
    {
        int px = 0, py = 0;
        to_pixel(ux, uy, px, py);
        return frame[(static_cast<std::size_t>(gl_test_height - 1 - py) * gl_test_width + px) * 4 + c];
    }

    // Points of a box in screen units (about every other pixel) where `b` is redder than `a` by more than `by`.
    static int brighter(const Frame& a, const Frame& b, double x0, double y0, double x1, double y1, int by = 30)
    {
        int count = 0;
        for (double y = y0; y < y1; y += 2 / 768.0)
            for (double x = x0; x < x1; x += 2 / 768.0)
                count += channel(b, x, y, 0) > channel(a, x, y, 0) + by;
        return count;
    }
};

}  // namespace

TEST_F(MenuDraw, BandTextPointerAndPadlocksWhileVisibleOnlyTheHintWhileHidden)
{
    LogCapture log;
    const std::string old_player = current_player_name;
    current_player_name = "menu draw " + std::to_string(std::rand());
    // The first level under the menu, its goal tags shown, as a reference frame.
    goals_visible = true;
    std::unique_ptr<World> level = load_level(level_file_name(read_level_list().front()));
    ASSERT_TRUE(level);
    const Frame under = draw(*level);
    current_world = level.release();
    const StringItem hint("Press Any Key for Menu", true, 0.1, Vector2(0, -0.95), 0.0);
    auto* menu = new MenuWorld(false, true, -1, hint);
    menu->items.push_back(std::make_unique<StringItem>("Play", true, 0.2, Vector2(0, 0.2), 0.0));
    menu->items.push_back(std::make_unique<LockableStringItem>("Level Editor", "Edit", 0.15, Vector2(0, -0.35)));
    menu->pointer = Vector2(1.0, 0.6);
    current_world = menu;
    double dt = 0.02;
    menu->update(dt);
    const Frame visible = draw(*menu);

    // The band: black at 0.35 half way through its fading edge, nothing beyond.
    const auto& play = static_cast<StringItem&>(*menu->items[0]);
    const double edge = play.position.x - play.half_width - 0.05;
    for (int c = 0; c < 3; ++c) {
        EXPECT_NEAR(channel(visible, edge, 0.2, c), channel(under, edge, 0.2, c) * 0.65, 3) << c;
        EXPECT_EQ(channel(visible, edge - 0.1, 0.2, c), channel(under, edge - 0.1, 0.2, c)) << c;
    }
    EXPECT_GT(brighter(under, visible, -play.half_width, 0.1, play.half_width, 0.3), 200) << "the text";
    EXPECT_GT(brighter(under, visible, 0.9, 0.5, 1.1, 0.7, 10), 5) << "the pointer";
    EXPECT_EQ(brighter(under, visible, -0.6, -1.0, 0.6, -0.9, 2), 0) << "no hint";

    // Padlocks on both sides of the locked item, gone once it is unlocked.
    const auto& editor = static_cast<LockableStringItem&>(*menu->items[1]);
    ASSERT_TRUE(editor.locked);
    const double right = editor.position.x + editor.half_width + 0.01, size = 2 * editor.half_height;
    current_player_info().unlock("Edit");
    menu->update(dt);
    const Frame unlocked = draw(*menu);
    for (const double x : {right, -right - size})
        EXPECT_GT(brighter(unlocked, visible, x, -0.425, x + size, -0.275), 100) << x;

    // Hidden and faded: only the hint, and the level untouched elsewhere.
    menu->hidden = true, menu->fade = 0;
    const Frame hidden = draw(*menu);
    EXPECT_GT(brighter(under, hidden, -0.6, -1.0, 0.6, -0.9), 200) << "the hint";
    EXPECT_EQ(channel(hidden, edge, 0.2, 0), channel(under, edge, 0.2, 0)) << "no band";
    EXPECT_EQ(brighter(under, hidden, -1.3, -0.85, 1.3, 0.95, 2), 0) << "no item nor pointer";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    delete current_world;
    current_world = nullptr;
    current_player_name = old_player;
    goals_visible = false;
}
