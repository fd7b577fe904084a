#include "progress/player_info.hpp"

#include <filesystem>
#include <fstream>
#include <memory>

#include "progress/file_name.hpp"
#include "storage/file_storage.hpp"
#include "storage/game_folders.hpp"
#include "storage/log.hpp"
#include "world/level_list.hpp"
#include "world/level_timer.hpp"
#include "world/time_text.hpp"

std::string current_player_name = "Player";

namespace {

constexpr std::size_t min_key_bytes = 4;
constexpr std::size_t min_best_bytes = 4 + 8;

std::map<std::string, std::unique_ptr<PlayerInfo>>& registry()
{
    // Never destroyed: the exit handler that writes it may run after static
    // destructors of objects made later than it was registered.
    static auto* players = new std::map<std::string, std::unique_ptr<PlayerInfo>>;
    return *players;
}

bool file_opens(const std::string& path)
{
    return std::ifstream(game_path(path), std::ios::binary).is_open();
}

}  // namespace

std::set<std::string> default_locked_keys(const std::string& level_list)
{
    std::set<std::string> keys{"Edit", "Perfect"};
    bool locked = false;
    for (const std::string& line : read_level_list(level_list)) {
        if (line == "---")
            locked = true;
        else if (locked)
            keys.insert(line);
    }
    return keys;
}

PlayerInfo::PlayerInfo(std::string name) : name_(std::move(name)), locked_keys_(default_locked_keys()) {}

void PlayerInfo::save(BaseStorage& storage) const
{
    storage.write(static_cast<int>(locked_keys_.size()));
    for (const std::string& key : locked_keys_)
        storage.write(key);
    storage.write(static_cast<int>(personal_bests_.size()));
    for (const auto& [key, time] : personal_bests_) {
        storage.write(key);
        storage.write(time);
    }
}

bool PlayerInfo::load(BaseStorage& storage)
{
    std::set<std::string> keys;
    std::map<std::string, double> bests;
    int count = 0;
    if (!storage.read_count(count, min_key_bytes))
        return false;
    for (int i = 0; i < count; ++i) {
        std::string key;
        if (!storage.read(key))
            return false;
        keys.insert(key);
    }
    if (!storage.read_count(count, min_best_bytes))
        return false;
    for (int i = 0; i < count; ++i) {
        std::string key;
        double time = 0;
        if (!storage.read(key) || !storage.read(time) || !plausible_result_time(time))
            return false;
        bests[key] = time;
    }
    // The writer stops after the last best: anything more is not its record.
    if (storage.bytes_left() != 0)
        return false;
    locked_keys_ = std::move(keys);
    personal_bests_ = std::move(bests);
    return true;
}

double PlayerInfo::personal_best(const std::string& key) const
{
    const auto found = personal_bests_.find(key);
    return found == personal_bests_.end() ? -1 : found->second;
}

bool PlayerInfo::submit(const std::string& key, const LevelTimer& timer)
{
    return submit(key, timer.time, timer.countdown);
}

bool PlayerInfo::submit(const std::string& key, double time, bool countdown)
{
    if (!plausible_result_time(time))
        return false;
    if (!better_result(time, personal_best(key), countdown))
        return false;
    personal_bests_.erase(key);
    personal_bests_.emplace(key, time);
    return true;
}

bool PlayerInfo::unchanged() const
{
    // The whole set, not just its size: once the level list has changed, a
    // record with a new unlock can hold as many keys as a new player, and
    // comparing sizes would drop that unlock at exit.
    return personal_bests_.empty() && locked_keys_ == default_locked_keys();
}

PlayerInfo& player_info(const std::string& name)
{
    auto& players = registry();
    if (const auto found = players.find(name); found != players.end())
        return *found->second;

    auto player = std::make_unique<PlayerInfo>(name);
    // A name with '%' may still have its file under the name it had before
    // '%' was escaped; it moves to its own name when next written.
    std::string path = player_file_name(name);
    if (name.find('%') != std::string::npos && !file_opens(path) && file_opens(old_player_file_name(name)))
        path = old_player_file_name(name);
    if (!name.empty() && file_opens(path)) {
        bool loaded = false;
        {
            InFileStorage in(path, false);
            loaded = player->load(in);
        }
        if (!loaded)
            report_damaged_file("Player file", path, "using the defaults");
    }
    return *players.emplace(name, std::move(player)).first->second;
}

PlayerInfo& current_player_info()
{
    return player_info(current_player_name);
}

bool write_changed_players()
{
    log_out() << "Trying to dump player info..." << '\n';
    const auto& players = registry();
    bool all_written = true;
    bool folder_ready = false;
    for (const auto& [name, player] : players) {
        if (player->unchanged())
            continue;
        if (!folder_ready) {
            std::error_code error;
            std::filesystem::create_directory(game_path("playerinfo"), error);
            if (error)
                log_err() << "Cannot create the folder playerinfo: " << error.message() << '\n';
            folder_ready = true;
        }
        OutFileStorage out(player_file_name(name));
        player->save(out);
        if (!out.finish())
            all_written = false;
    }
    return all_written;
}

bool save_changed_players()
{
    const bool all_written = write_changed_players();
    registry().clear();
    return all_written;
}
