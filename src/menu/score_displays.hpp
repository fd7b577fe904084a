#pragma once

#include <string>

#include "menu/string_item.hpp"

// One result of a score list: "Level: time", magenta for Perfect Mode keys.
// When built clickable and its recording is there, activation replays it.
class ScoreDisplay : public StringItem {
public:
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;
    // A result without a recording is always lit; one with a recording
    // lights up only when selected.
    void update(double& dt, bool& selected) override;

    std::string key;
    std::string recording;  // empty when the file is not there
    bool clickable;

protected:
    // A time below 0 means no result; `player` is shown when `by_player`.
    ScoreDisplay(std::string key, double time, const std::string& player, bool by_player, bool clickable,
                 bool highlight);
};

// The high-score table's entry for a key.
class HighScoreDisplay : public ScoreDisplay {
public:
    HighScoreDisplay(const std::string& key, bool clickable, bool highlight);
};

// The current player's personal best for a key.
class PersonalBestDisplay : public ScoreDisplay {
public:
    PersonalBestDisplay(const std::string& key, bool clickable, bool highlight);
};

// A kept recording, opened for perfecting.
class PerfectDemoDisplay : public StringItem {
public:
    explicit PerfectDemoDisplay(std::string path);
    bool handle_event(const SDL_Event& event, double& dt, bool& world_replaced) override;

    std::string path;
};
