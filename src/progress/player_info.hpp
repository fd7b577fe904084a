#pragma once

#include <map>
#include <set>
#include <string>

#include "storage/base_storable.hpp"

class LevelTimer;

// The default locked keys: "Edit", "Perfect" and every line of the level
// list after its first "---" (other than "---"), built afresh on each call.
std::set<std::string> default_locked_keys(const std::string& level_list = "levels/levels.list");

// One player's progress: unlock keys still locked and personal bests per
// score key. The name is not stored in the record; it names the file.
class PlayerInfo : public BaseStorable {
public:
    explicit PlayerInfo(std::string name);

    void save(BaseStorage& storage) const override;
    // Replaces the keys and bests only when the whole record was read.
    bool load(BaseStorage& storage) override;

    bool is_locked(const std::string& key) const { return locked_keys_.count(key) != 0; }
    // True when a key was locked before.
    bool unlock(const std::string& key) { return locked_keys_.erase(key) != 0; }
    bool unlock_everything()
    {
        const bool any = !locked_keys_.empty();
        locked_keys_.clear();
        return any;
    }

    // -1 when there is none.
    double personal_best(const std::string& key) const;
    // True when the result became the personal best.
    bool submit(const std::string& key, const LevelTimer& timer);
    bool submit(const std::string& key, double time, bool countdown);

    // Unchanged records are not written at exit.
    bool unchanged() const;

    const std::string& name() const { return name_; }
    const std::set<std::string>& locked_keys() const { return locked_keys_; }
    const std::map<std::string, double>& personal_bests() const { return personal_bests_; }

private:
    std::string name_;
    std::set<std::string> locked_keys_;
    std::map<std::string, double> personal_bests_;
};

// The name edited on the main menu; "Player" at start.
extern std::string current_player_name;

// The registered record of a name, created on first use with the defaults and
// loaded from its player file when there is one. A damaged file is refused
// with one line and renamed with a ".bad" suffix; the player gets the defaults.
PlayerInfo& player_info(const std::string& name);
PlayerInfo& current_player_info();

// Writes every changed record to its player file (creating the "playerinfo"
// folder when missing); the registry and references into it stay. False
// when any write failed; each failure is reported.
bool write_changed_players();

// At exit: write_changed_players(), then empties the registry, so references
// from player_info() are gone.
bool save_changed_players();
