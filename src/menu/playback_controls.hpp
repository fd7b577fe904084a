#pragma once

#include <string>

#include "menu/image_item.hpp"
#include "menu/string_item.hpp"

class PlaybackWorld;

// The control bar of the playback screen. Every control acts on the
// PlaybackWorld that the current menu holds, and only through its fields.

// The playback under the current menu, or null when the current screen is
// not a menu over a playback (a programming error the controls assert on).
PlaybackWorld* controlled_playback();

// The dark panel behind the bar; it takes no events and never changes.
class PlaybackMenuController : public ImageItem {
public:
    PlaybackMenuController();
    void update(double& dt, bool& selected) override;
};

// A picture on the bar that does one thing to the playback when activated.
class PlaybackButton : public ImageItem {
public:
    PlaybackButton(const std::string& texture_path, double x, double height);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

protected:
    virtual void act(PlaybackWorld& playback) = 0;
};

// Perfect Mode only: the player takes the game over from the frame shown.
class PerfectPlayFromHereButton : public ImageItem {
public:
    PerfectPlayFromHereButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
};

class PlaybackLeftEndButton : public PlaybackButton {
public:
    PlaybackLeftEndButton();

protected:
    void act(PlaybackWorld& playback) override;
};

class PlaybackPauseButton : public PlaybackButton {
public:
    PlaybackPauseButton();

protected:
    void act(PlaybackWorld& playback) override;
};

// Plays exactly one frame and stays paused.
class PlaybackFrameForwardButton : public PlaybackButton {
public:
    PlaybackFrameForwardButton();

protected:
    void act(PlaybackWorld& playback) override;
};

class PlaybackPlayButton : public PlaybackButton {
public:
    PlaybackPlayButton();

protected:
    void act(PlaybackWorld& playback) override;
};

// Fast forward lasts as long as a mouse button is held on it; the playback
// pauses where the button is let go. The space bar does nothing here.
class PlaybackFastForwardButton : public ImageItem {
public:
    PlaybackFastForwardButton();
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    bool held = false;
};

class PlaybackRightEndButton : public PlaybackButton {
public:
    PlaybackRightEndButton();

protected:
    void act(PlaybackWorld& playback) override;
};

constexpr int min_speed_percent = 10;
constexpr int max_speed_percent = 200;
constexpr int speed_percent_step = 10;

class PlaybackSpeedPlusButton : public ImageItem {
public:
    explicit PlaybackSpeedPlusButton(int& speed_percent);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    int& speed_percent;
};

class PlaybackSpeedMinusButton : public ImageItem {
public:
    explicit PlaybackSpeedMinusButton(int& speed_percent);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    int& speed_percent;
};

// The speed as "100%", written anew every frame. It never lights up.
class PlaybackSpeedReadout : public StringItem {
public:
    explicit PlaybackSpeedReadout(int& speed_percent);
    void update(double& dt, bool& selected) override;

    int& speed_percent;
};

// The bar above the buttons: how far the playback is, where it is heading
// and where it can restart from. A click jumps to the frame under the pointer.
class PlaybackTimeline : public BaseMenuItem {
public:
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
    bool contains(const Vector2& p) override;
    void update(double& dt, bool& selected) override;
    void draw() override;

    // The frame a click at pointer x asks for, within [0, frame_count]: the
    // menu pointer can lie beside the bar when it was chosen from the keyboard.
    int target_at(double pointer_x, int frame_count) const;

    Vector2 position{0, -0.75};
    double half_width = 1.2654296875;
    double half_height = 0.025;
    double hover = 0;
};
