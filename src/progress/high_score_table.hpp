#pragma once

#include <map>
#include <string>

class LevelTimer;

// The best result of one level in one mode, for all players together.
struct HighScore {
    std::string player = "No Score";
    double time = -1;  // seconds; -1 means no score
};

// Results by score key ("R-" or "P-" + level name), iterated in byte-wise key
// order, so all "P-" keys come before all "R-" keys.
class HighScoreTable {
public:
    using Entries = std::map<std::string, HighScore>;

    HighScore get(const std::string& key) const;
    // True when the result was stored; prints the new entry count.
    bool submit(const std::string& key, const std::string& player, const LevelTimer& timer);
    bool submit(const std::string& key, const std::string& player, double time, bool countdown);

    const Entries& entries() const { return entries_; }
    Entries::const_iterator begin() const { return entries_.begin(); }
    Entries::const_iterator end() const { return entries_.end(); }

    // A missing or foreign file leaves the table empty. A damaged one is
    // refused with one line and renamed with a ".bad" suffix, so that the
    // next save does not replace it. False in both cases.
    bool load(const std::string& file_name);
    // Replaces the file atomically; false (and reported) when that failed.
    bool save(const std::string& file_name) const;
    void clear() { entries_.clear(); }

private:
    Entries entries_;
};

constexpr const char* high_score_file = "highscores.list";

// The process-wide table, read before the first screen and written at exit.
HighScoreTable& high_scores();
void load_high_scores();
bool save_high_scores();
