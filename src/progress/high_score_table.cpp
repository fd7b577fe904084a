#include "progress/high_score_table.hpp"

#include "progress/file_name.hpp"
#include "storage/file_storage.hpp"
#include "storage/log.hpp"
#include "world/level_timer.hpp"
#include "world/time_text.hpp"

namespace {

// Key and player of any length, then the time.
constexpr std::size_t min_entry_bytes = 4 + 4 + 8;

bool read_entries(BaseStorage& in, const std::string& file_name, HighScoreTable::Entries& entries)
{
    unsigned int count = 0;
    if (!in.read_count(count, min_entry_bytes))
        return false;
    for (unsigned int i = 0; i < count; ++i) {
        std::string key;
        HighScore score;
        if (!in.read(key) || !in.read(score.player) || !in.read(score.time))
            return false;
        if (!plausible_result_time(score.time))
            return false;
        // Names longer than a file name can hold came from before the Name
        // field was limited; the rest of the table is still good.
        if (!name_fits_file_name(score.player)) {
            log_err() << "High score list " << file_name << ": skipping the result for " << key << " by a player name of "
                      << score.player.size() << " bytes, too long for a file name" << '\n';
            continue;
        }
        entries.emplace(key, score);  // of a repeated key the first stays
    }
    // The writer stops after the last entry: anything more is not its file.
    return in.bytes_left() == 0;
}

}  // namespace

HighScore HighScoreTable::get(const std::string& key) const
{
    const auto found = entries_.find(key);
    return found == entries_.end() ? HighScore{} : found->second;
}

bool HighScoreTable::submit(const std::string& key, const std::string& player, const LevelTimer& timer)
{
    return submit(key, player, timer.time, timer.countdown);
}

bool HighScoreTable::submit(const std::string& key, const std::string& player, double time, bool countdown)
{
    if (!plausible_result_time(time))
        return false;
    if (!better_result(time, get(key).time, countdown))
        return false;
    entries_.erase(key);
    entries_.emplace(key, HighScore{player, time});
    log_out() << entries_.size();
    return true;
}

bool HighScoreTable::load(const std::string& file_name)
{
    entries_.clear();
    Entries read;
    {
        InFileStorage in(file_name, true);
        if (in.bad_magic()) {
            log_out() << "Failed to read high score list" << '\n';
            return false;
        }
        if (read_entries(in, file_name, read)) {
            entries_ = std::move(read);
            return true;
        }
    }
    report_damaged_file("High score list", file_name, "starting with an empty table");
    return false;
}

bool HighScoreTable::save(const std::string& file_name) const
{
    log_out() << "Writing high scores to disk" << '\n';
    OutFileStorage out(file_name);
    out.write(static_cast<unsigned int>(entries_.size()));
    for (const auto& [key, score] : entries_) {
        out.write(key);
        out.write(score.player);
        out.write(score.time);
    }
    if (!out.finish())
        return false;
    log_out() << "Done" << '\n';
    return true;
}

HighScoreTable& high_scores()
{
    // Never destroyed: the exit handlers that save it may run after static
    // destructors of objects made later than they were registered.
    static HighScoreTable* table = new HighScoreTable;
    return *table;
}

void load_high_scores()
{
    high_scores().load(high_score_file);
}

bool save_high_scores()
{
    return high_scores().save(high_score_file);
}
