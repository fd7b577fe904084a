#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "storage/memory_storage.hpp"
#include "world/frame_limits.hpp"
#include "world/world.hpp"

// Frame times a recording can hold: the frame loop's, and a take-over at up to
// twice the normal speed. Anything else is a damaged file.
constexpr unsigned int min_recorded_frame_ms = 1;
constexpr unsigned int max_recorded_frame_ms = 2 * max_frame_ms;

// Snapshots of the world are kept this many frames apart for seeking...
constexpr int snapshot_interval = 15;
// ...while they fit in this many bytes; beyond it every other one goes and
// the rest are kept twice as far apart, so that a long replay of a crowded
// level cannot exhaust the memory.
constexpr std::size_t default_snapshot_budget = 256u << 20;

struct Frame {
    unsigned int ms = 0;
    std::vector<SDL_Event> events;
};

struct Snapshot {
    // The next frame to play when the state was saved.
    int frame = 0;
    MemoryStorage state;
};

// Replays a recording file. Under a menu (the playback controls, or the
// opening menu for the looping demo) it plays, pauses, steps, runs slower or
// faster and seeks; made the current screen, it hands the game to the player
// from the frame where it stood and appends the player's frames (Perfect Mode).
class PlaybackWorld : public World {
public:
    // Check refusal(): a file that cannot be opened, is not a recording or is
    // damaged inside its level leaves the playback unusable. A damaged frame
    // stream keeps the frames read before the damage.
    PlaybackWorld(const std::string& recording_file, bool opening_demo);
    ~PlaybackWorld() override;

    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& dt) override;

    // Drops every frame from next_frame on and the snapshots beyond it, so
    // that the player's frames continue the recording from there.
    virtual void discard_future();
    // Back under the playback screen in Perfect Mode, paused at the end.
    virtual void open_perfect_menu();

    bool dump_recording(const std::string& file_name);

    // Why the file was refused; empty when the playback can be used.
    const std::string& refusal() const { return refusal_; }

    double time_debt = 0.0;
    bool fast_forward = false;
    bool paused = false;
    bool step_once = false;
    int speed_percent = 100;
    bool opening_demo = false;
    std::vector<Frame> frames;
    std::vector<Snapshot> snapshots;
    int next_frame = 0;
    int seek_target = -1;
    std::vector<SDL_Event> captured_events;

    std::size_t snapshot_budget = default_snapshot_budget;
    int snapshot_spacing() const { return snapshot_spacing_; }
    std::size_t snapshot_bytes() const { return snapshot_bytes_; }

private:
    // False when the data ends inside a frame rather than between two.
    bool read_frames(BaseStorage& file);
    void take_snapshot();
    void load_snapshot(Snapshot& snapshot);
    void play_frame(const Frame& frame);
    int frame_count() const { return static_cast<int>(frames.size()); }

    std::string refusal_;
    int snapshot_spacing_ = snapshot_interval;
    std::size_t snapshot_bytes_ = 0;
    // Reused for every save, so that each snapshot holds just its bytes.
    MemoryStorage scratch_;
};

// A playback of a recording file. Null, with one line on the error stream
// naming the file and the reason, when the file is refused.
std::unique_ptr<PlaybackWorld> open_playback(const std::string& recording_file, bool opening_demo);
