#include "menu/score_displays.hpp"

#include "menu/playback_screen.hpp"
#include "menu/screens.hpp"
#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "render/files.hpp"
#include "world/time_text.hpp"

namespace {

std::string score_text(const std::string& key, double time, const std::string& player, bool by_player,
                       bool clickable, std::string& recording)
{
    const std::string level = key.size() >= 2 ? key.substr(2) : std::string();
    if (time < 0)
        return level + ": None";
    recording = result_recording_file(key, player, time);
    if (!file_exists(recording))
        recording.clear();
    std::string text = level + ": " + time_text(time);
    if (by_player)
        text += " by " + player;
    if (clickable && recording.empty())
        text += " (no recording!)";
    return text;
}

}  // namespace

ScoreDisplay::ScoreDisplay(std::string key_, double time, const std::string& player, bool by_player,
                           bool clickable_, bool highlight)
    : StringItem("", true, 0.1, Vector2(0, 0), 0), key(std::move(key_)), clickable(clickable_)
{
    set_text(score_text(key, time, player, by_player, clickable, recording), text_height);
    const bool perfect = !key.empty() && key[0] == 'P';
    selected_high = {1, perfect ? 0.3 : 1, 1, highlight ? 0.5 : 0.7};
    selected_low = {1, perfect ? 0.3 : 1, 1, highlight ? 1.0 : 0.7};
    if (perfect) {
        idle_high[1] = 0.1;
        idle_low[1] = 0.1;
    }
}

bool ScoreDisplay::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event) || !clickable || recording.empty())
        return false;
    // A recording that cannot be replayed leaves this list and says why.
    const std::string path = recording;  // the display may be gone afterwards
    world_replaced = build_playback_screen(path, false);
    return true;
}

void ScoreDisplay::update(double& dt, bool& selected)
{
    bool lit = selected || recording.empty();
    StringItem::update(dt, lit);
}

HighScoreDisplay::HighScoreDisplay(const std::string& key_, bool clickable_, bool highlight)
    : ScoreDisplay(key_, high_scores().get(key_).time, high_scores().get(key_).player, true, clickable_, highlight)
{
}

PersonalBestDisplay::PersonalBestDisplay(const std::string& key_, bool clickable_, bool highlight)
    : ScoreDisplay(key_, current_player_info().personal_best(key_), current_player_name, false, clickable_,
                   highlight)
{
}

PerfectDemoDisplay::PerfectDemoDisplay(std::string path_)
    : StringItem(recording_title(path_), true, 0.1, Vector2(0, 0), 0), path(std::move(path_))
{
}

bool PerfectDemoDisplay::handle_event(const SDL_Event& event, double&, bool& world_replaced)
{
    if (!is_activation(event))
        return false;
    const std::string recording = path;
    world_replaced = build_playback_screen(recording, true);
    return true;
}
