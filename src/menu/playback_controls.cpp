#include "menu/playback_controls.hpp"

#include <algorithm>
#include <cmath>

#include "menu/menu_world.hpp"
#include "render/gl.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"
#include "world/playback_world.hpp"

namespace {

constexpr double bar_y = -0.875;
constexpr double button_height = 0.15;
constexpr double speed_button_height = 0.075;

// Share of the bar that `frame` of `count` frames covers; an empty recording
// counts as played through.
double bar_fraction(int frame, int count)
{
    if (count <= 0)
        return 1.0;
    return std::clamp(static_cast<double>(frame) / count, 0.0, 1.0);
}

int frame_count_of(const PlaybackWorld& playback)
{
    return static_cast<int>(playback.frames.size());
}

}  // namespace

PlaybackWorld* controlled_playback()
{
    MenuWorld* menu = current_menu();
    INVARIANT(menu && "menu");
    if (!menu)
        return nullptr;
    auto* playback = dynamic_cast<PlaybackWorld*>(menu->held.get());
    INVARIANT(playback && "play");
    return playback;
}

PlaybackMenuController::PlaybackMenuController()
    : ImageItem("textures/empty.png", Vector2(0, -0.85), 2.6640625, 0.3, true)
{
}

void PlaybackMenuController::update(double&, bool&) {}

PlaybackButton::PlaybackButton(const std::string& texture_path, double x, double picture_height)
    : ImageItem(texture_path, Vector2(x, bar_y), -1, picture_height, false)
{
}

bool PlaybackButton::handle_event(const SDL_Event& event, double&, bool&)
{
    if (!is_activation(event))
        return false;
    PlaybackWorld* playback = controlled_playback();
    if (!playback)
        return false;
    act(*playback);
    return true;
}

PerfectPlayFromHereButton::PerfectPlayFromHereButton()
    : ImageItem("textures/play.png", Vector2(-0.9, bar_y), -1, button_height, false)
{
}

bool PerfectPlayFromHereButton::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) || !controlled_playback())
        return false;
    // The playback becomes the game, and this button goes with its menu.
    pop_menu();
    auto* playback = dynamic_cast<PlaybackWorld*>(current_world);
    INVARIANT(playback && "play");
    playback->discard_future();
    world_replaced = true;
    return true;
}

PlaybackLeftEndButton::PlaybackLeftEndButton() : PlaybackButton("textures/stopleft.png", -0.5, button_height) {}

void PlaybackLeftEndButton::act(PlaybackWorld& playback)
{
    playback.paused = false;
    playback.seek_target = 0;
}

PlaybackPauseButton::PlaybackPauseButton() : PlaybackButton("textures/pause.png", -0.3, button_height) {}

void PlaybackPauseButton::act(PlaybackWorld& playback)
{
    playback.paused = true;
    playback.seek_target = -1;
}

PlaybackFrameForwardButton::PlaybackFrameForwardButton()
    : PlaybackButton("textures/frameforward.png", -0.1, button_height)
{
}

void PlaybackFrameForwardButton::act(PlaybackWorld& playback)
{
    playback.seek_target = -1;
    playback.paused = true;
    playback.step_once = true;
}

PlaybackPlayButton::PlaybackPlayButton() : PlaybackButton("textures/arrow_right.png", 0.1, button_height) {}

void PlaybackPlayButton::act(PlaybackWorld& playback)
{
    playback.paused = false;
    playback.seek_target = -1;
}

PlaybackFastForwardButton::PlaybackFastForwardButton()
    : ImageItem("textures/fastforward.png", Vector2(0.3, bar_y), -1, button_height, false)
{
}

bool PlaybackFastForwardButton::handle_event(const SDL_Event& event, double&, bool&)
{
    if (event.type == SDL_MOUSEBUTTONDOWN) {
        PlaybackWorld* playback = controlled_playback();
        if (!playback)
            return false;
        playback->seek_target = -1;
        playback->fast_forward = true;
        playback->paused = false;
        held = true;
        return true;
    }
    if (!held)
        return false;
    // Held: the pointer stays on this button until the release stops it.
    if (event.type == SDL_MOUSEBUTTONUP) {
        held = false;
        if (PlaybackWorld* playback = controlled_playback()) {
            playback->fast_forward = false;
            playback->paused = true;
        }
    }
    return true;
}

PlaybackRightEndButton::PlaybackRightEndButton() : PlaybackButton("textures/stopright.png", 0.5, button_height) {}

void PlaybackRightEndButton::act(PlaybackWorld& playback)
{
    playback.paused = false;
    playback.seek_target = frame_count_of(playback);
}

PlaybackSpeedPlusButton::PlaybackSpeedPlusButton(int& speed)
    : ImageItem("textures/plus.png", Vector2(0.7, bar_y), -1, speed_button_height, false), speed_percent(speed)
{
}

bool PlaybackSpeedPlusButton::handle_event(const SDL_Event& event, double&, bool&)
{
    if (!is_activation(event))
        return false;
    if (speed_percent < max_speed_percent)
        speed_percent += speed_percent_step;
    speed_percent = std::min(speed_percent, max_speed_percent);
    return true;
}

PlaybackSpeedMinusButton::PlaybackSpeedMinusButton(int& speed)
    : ImageItem("textures/minus.png", Vector2(1.1, bar_y), -1, speed_button_height, false), speed_percent(speed)
{
}

bool PlaybackSpeedMinusButton::handle_event(const SDL_Event& event, double&, bool&)
{
    if (!is_activation(event))
        return false;
    if (speed_percent > 0)
        speed_percent -= speed_percent_step;
    speed_percent = std::max(speed_percent, min_speed_percent);
    return true;
}

PlaybackSpeedReadout::PlaybackSpeedReadout(int& speed)
    : StringItem(std::to_string(speed) + "%", false, button_height, Vector2(0.9, bar_y), 0.7), speed_percent(speed)
{
}

void PlaybackSpeedReadout::update(double&, bool&)
{
    // At the full height "100%" in our wide font runs over the + and − on
    // either side; a text wider than the gap between them is made smaller.
    constexpr double gap = 0.29;
    const std::string readout = std::to_string(speed_percent) + "%";
    set_text(readout, button_height);
    const double width = line_width(readout);
    if (width > gap)
        set_text(readout, button_height * gap / width);
}

int PlaybackTimeline::target_at(double pointer_x, int frame_count) const
{
    const double share = (pointer_x - (position.x - half_width)) / (2 * half_width);
    const double target = std::trunc(share * frame_count);
    return static_cast<int>(std::clamp(target, 0.0, static_cast<double>(frame_count)));
}

bool PlaybackTimeline::handle_event(const SDL_Event& event, double&, bool&)
{
    if (event.type != SDL_MOUSEBUTTONDOWN)
        return false;
    MenuWorld* menu = current_menu();
    INVARIANT(menu && menu->held && "menu");
    if (!menu)
        return false;
    PlaybackWorld* playback = controlled_playback();
    if (!playback)
        return false;
    playback->paused = false;
    playback->seek_target = target_at(menu->pointer.x, frame_count_of(*playback));
    // Left unhandled, so that the menu still moves its own selection.
    return false;
}

bool PlaybackTimeline::contains(const Vector2& p)
{
    return std::abs(p.x - position.x) <= half_width && std::abs(p.y - position.y) <= half_height;
}

void PlaybackTimeline::update(double& dt, bool& selected)
{
    if (selected)
        hover = std::min(hover + 10 * dt, 1.0);
    else
        hover = std::max(hover - 2 * dt, 0.0);
}

void PlaybackTimeline::draw()
{
    MenuWorld* menu = current_menu();
    auto* playback = menu ? dynamic_cast<PlaybackWorld*>(menu->held.get()) : nullptr;
    if (!playback) {
        log_out() << "Oh, spite!" << '\n';
        INVARIANT(playback && "play");
        return;
    }
    const double left = position.x - half_width;
    const double width = 2 * half_width;
    const double top = position.y + half_height;
    const double bottom = position.y - half_height;
    const int count = frame_count_of(*playback);
    const double a = menu_alpha();

    const double progress = bar_fraction(playback->next_frame, count);
    glColor4d(0.8, 0.8, 0.6, 0.9 * a);
    glBegin(GL_QUADS);
    glVertex2d(left, top);
    glVertex2d(left + width * progress, top);
    glVertex2d(left + width * progress, bottom);
    glVertex2d(left, bottom);
    glEnd();

    if (playback->seek_target != -1) {
        const double x = left + width * bar_fraction(playback->seek_target, count);
        glColor4d(1, 1, 1, 0.7 * a);
        glBegin(GL_LINES);
        glVertex2d(x, bottom);
        glVertex2d(x, top);
        glEnd();
    }

    glColor4d(1, 1, 1, 0.4 * a);
    glBegin(GL_LINES);
    for (const Snapshot& snapshot : playback->snapshots) {
        const double x = left + width * bar_fraction(snapshot.frame, count);
        glVertex2d(x, bottom);
        glVertex2d(x, top);
    }
    glEnd();

    glColor4d(0.5, 0.5, 0.5, 0.7 * a);
    glBegin(GL_LINE_LOOP);
    glVertex2d(left, top);
    glVertex2d(left + width, top);
    glVertex2d(left + width, bottom);
    glVertex2d(left, bottom);
    glEnd();
}
