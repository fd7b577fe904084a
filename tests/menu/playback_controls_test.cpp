#include <typeinfo>

#include "menu/menu_fixture.hpp"
#include "menu/playback_controls.hpp"
#include "menu/playback_screen.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"

using namespace recording_helpers;

namespace {

// The playback screen over a recording of 300 idle frames of the first level.
class PlaybackControls : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        std::string idle;
        for (int i = 0; i < 300; ++i)
            idle += "16\n";
        record_game(shipped_level("Slice"), parse_script(idle), "game.rec");
    }

    MenuWorld& open(bool perfect_mode)
    {
        EXPECT_TRUE(build_playback_screen("game.rec", perfect_mode));
        MenuWorld* menu = current_menu();
        EXPECT_TRUE(menu);
        return *menu;
    }
    PlaybackWorld& playback() { return dynamic_cast<PlaybackWorld&>(*current_menu()->held); }

    template <class Item>
    int index_of()
    {
        auto& items = current_menu()->items;
        for (std::size_t i = 0; i < items.size(); ++i)
            if (dynamic_cast<Item*>(items[i].get()))
                return static_cast<int>(i);
        return -1;
    }
    // The event as the menu gets it, with the item selected.
    template <class Item>
    bool send(const SDL_Event& event)
    {
        MenuWorld& menu = *current_menu();
        menu.selected = index_of<Item>();
        EXPECT_GE(menu.selected, 0) << typeid(Item).name();
        return menu.handle_event(event, dt_);
    }
    void update(int frames = 1)
    {
        for (int i = 0; i < frames && current_world; ++i)
            current_world->update(dt_);
    }
    void update_until_paused()
    {
        for (int i = 0; i < 1000 && !playback().paused; ++i)
            update();
    }

    SDL_Event press_ = event_of(SDL_MOUSEBUTTONDOWN);
    SDL_Event release_ = event_of(SDL_MOUSEBUTTONUP);
};

}  // namespace

// A damaged recording's refusal is the score screen's test.
TEST_F(PlaybackControls, AMissingRecordingKeepsTheScreen)
{
    auto* before = new World;
    current_world = before;
    EXPECT_FALSE(build_playback_screen("missing.rec", false));
    EXPECT_EQ(current_world, before);
    EXPECT_EQ(last_notice(), "Cannot replay missing: the recording is missing");
}

TEST_F(PlaybackControls, ButtonsStepPlayPauseSeekFastForwardAndSetTheSpeedFrom10To200)
{
    // A new replay starts paused.
    MenuWorld& menu = open(false);
    update(3);
    EXPECT_TRUE(send<PlaybackFrameForwardButton>(key_press(SDLK_SPACE)));
    update(3);
    EXPECT_EQ(playback().next_frame, 1);
    EXPECT_TRUE(playback().paused);
    EXPECT_TRUE(send<PlaybackPlayButton>(press_));
    EXPECT_FALSE(playback().paused);
    update(2);
    // 66 ms: a frame begun is played whole, and the excess is paid back.
    EXPECT_EQ(playback().next_frame, 6);
    EXPECT_TRUE(send<PlaybackPauseButton>(press_));
    update(2);
    EXPECT_EQ(playback().next_frame, 6);

    for (const auto& [to_end, target] : {std::pair{true, 300}, std::pair{false, 0}}) {
        EXPECT_TRUE(to_end ? send<PlaybackRightEndButton>(press_) : send<PlaybackLeftEndButton>(key_press(SDLK_SPACE)));
        EXPECT_EQ(playback().seek_target, target);
        update_until_paused();
        EXPECT_EQ(playback().next_frame, target);
        EXPECT_EQ(playback().seek_target, -1);
    }

    // Fast forward lasts while the button is held.
    EXPECT_FALSE(send<PlaybackFastForwardButton>(key_press(SDLK_SPACE)));
    EXPECT_FALSE(playback().fast_forward);
    playback().seek_target = 100;
    EXPECT_TRUE(send<PlaybackFastForwardButton>(press_));
    EXPECT_TRUE(playback().fast_forward && !playback().paused);
    EXPECT_EQ(playback().seek_target, -1);
    update();
    EXPECT_EQ(playback().next_frame, 21) << "ten times 33 ms of 16 ms frames";
    EXPECT_TRUE(menu.handle_event(release_, dt_));
    EXPECT_TRUE(playback().paused && !playback().fast_forward);
    EXPECT_FALSE(menu.handle_event(release_, dt_));

    auto& readout = static_cast<StringItem&>(*menu.items[index_of<PlaybackSpeedReadout>()]);
    EXPECT_EQ(readout.text, "100%");
    for (int i = 0; i < 12; ++i)
        EXPECT_TRUE(send<PlaybackSpeedPlusButton>(key_press(SDLK_SPACE)));
    EXPECT_EQ(playback().speed_percent, 200);
    for (int i = 0; i < 25; ++i)
        EXPECT_TRUE(send<PlaybackSpeedMinusButton>(press_));
    EXPECT_EQ(playback().speed_percent, 10);
    update();
    EXPECT_EQ(readout.text, "10%");
    EXPECT_FALSE(send<PlaybackSpeedPlusButton>(key_press(SDLK_RETURN)));
}

TEST_F(PlaybackControls, TimelineClickSeeksToTheFrameUnderTheMenuPointer)
{
    MenuWorld& menu = open(false);
    const int timeline = index_of<PlaybackTimeline>();
    EXPECT_EQ(timeline, 11) << "the time line last";
    auto& bar = static_cast<PlaybackTimeline&>(*menu.items[timeline]);
    EXPECT_TRUE(bar.contains(Vector2(1.2654296875, -0.75)));
    EXPECT_FALSE(bar.contains(Vector2(1.27, -0.75)));
    EXPECT_FALSE(bar.contains(Vector2(0, -0.72)));

    // Moving onto the bar selects it; the click is left to the menu.
    menu.pointer = Vector2(0, -0.5);
    EXPECT_TRUE(menu.handle_event(mouse_move(0, 96), dt_));
    EXPECT_EQ(menu.selected, timeline);
    EXPECT_FALSE(menu.handle_event(press_, dt_));
    EXPECT_EQ(playback().seek_target, 150);
    EXPECT_FALSE(playback().paused);
    update_until_paused();
    EXPECT_EQ(playback().next_frame, 150);

    // Chosen from the keyboard, the pointer can lie beside the bar.
    menu.pointer = Vector2(-1.33203125, 0.9);
    menu.handle_event(press_, dt_);
    EXPECT_EQ(playback().seek_target, 0);
    menu.pointer = Vector2(1.33203125, -1);
    menu.handle_event(press_, dt_);
    EXPECT_EQ(playback().seek_target, 300);
    EXPECT_FALSE(menu.handle_event(key_press(SDLK_SPACE), dt_));
}

