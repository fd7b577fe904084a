#include "world/playback_world.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "sound/audio.hpp"
#include "storage/file_storage.hpp"
#include "storage/game_folders.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"
#include "world/recording_world.hpp"

namespace {

bool is_key_press(const SDL_Event& event, SDLKey key)
{
    return event.type == SDL_KEYDOWN && event.key.keysym.sym == key;
}

}  // namespace

PlaybackWorld::PlaybackWorld(const std::string& recording_file, bool demo) : opening_demo(demo)
{
    InFileStorage file(recording_file, false);
    const std::string refused = "Cannot replay " + recording_file + ": ";
    if (file.corrupt()) {
        const bool exists = std::ifstream(game_path(recording_file), std::ios::binary).is_open();
        refusal_ = refused + (exists ? "not a recording" : "cannot open the file");
        return;
    }
    if (!file.read(file_name) || !load(file)) {
        refusal_ = refused + "the level in it is damaged";
        if (!file.refusal().empty())
            refusal_ += " (" + file.refusal() + ")";
        return;
    }
    take_snapshot();
    if (!read_frames(file))
        log_out() << "Recording " << recording_file << " is cut short; playing the " << frames.size()
                  << " frames read" << '\n';
}

PlaybackWorld::~PlaybackWorld()
{
    log_out() << "Farewell from the playback world." << '\n';
}

bool PlaybackWorld::read_frames(BaseStorage& file)
{
    // No count and no terminator: the frames run to the first read that fails.
    for (;;) {
        const bool between_frames = file.bytes_left() == 0;
        Frame frame;
        unsigned int count = 0;
        if (!file.read(frame.ms) || !file.read(count))
            return between_frames;
        // No frame of the game is that short or that long: the bytes are
        // damage, and a huge step would fling the bodies about.
        if (frame.ms < min_recorded_frame_ms || frame.ms > max_recorded_frame_ms) {
            log_out() << "Recording damaged at frame " << frames.size() << ": a frame of " << frame.ms
                      << " ms; playing the frames before it" << '\n';
            return true;
        }
        // The count is not trusted: events are read one by one until the
        // data ends. A frame cut short keeps what it has, the failed event
        // included as a blank one.
        bool cut = false;
        for (unsigned int i = 0; i < count && !cut; ++i) {
            SDL_Event event;
            std::memset(&event, 0, sizeof event);
            cut = !file.read(event);
            frame.events.push_back(event);
        }
        frames.push_back(std::move(frame));
        if (cut)
            return false;
    }
}

bool PlaybackWorld::handle_event(const SDL_Event& event, double& dt)
{
    // Watching, the playback controls are the current screen and take every
    // event; only a game taken over in Perfect Mode gets them here.
    INVARIANT(current_world == this && "events reach a playback only once it is taken over");
    // Taken over: the player plays on, and the pause keys lead back to the
    // playback screen instead of the pause menu.
    if (is_key_press(event, SDLK_SPACE) || is_key_press(event, SDLK_ESCAPE)) {
        open_perfect_menu();
        return true;
    }
    captured_events.push_back(event);
    return World::handle_event(event, dt);
}

void PlaybackWorld::update(double& dt)
{
    if (!refusal_.empty())
        return;
    // Real time, scaled by the playback speed.
    const double dts = speed_percent * dt / 100;

    // Taken over: the player's frame is appended and played.
    if (current_world == this) {
        // Within what a replay accepts, so that the dumped file reads back.
        const double t = std::clamp(whole_milliseconds(dts), static_cast<double>(min_recorded_frame_ms),
                                    static_cast<double>(max_recorded_frame_ms));
        Frame frame;
        frame.ms = static_cast<unsigned int>(t);
        frame.events.swap(captured_events);
        frames.push_back(std::move(frame));
        double step = t / 1000;
        loudness = 1;
        // May open the win or loss screen and replace this world.
        World::update(step);
        return;
    }

    // The opening demo starts again whenever it stops.
    if (opening_demo_showing() && paused) {
        next_frame = 0;
        paused = false;
        load_snapshot(snapshots.front());
    }

    // Seeking restarts from the nearest snapshot below the target when
    // that is behind us or closer than where we stand.
    if (seek_target != -1) {
        seek_target = std::clamp(seek_target, 0, frame_count());
        std::size_t k = 0;
        while (k + 1 < snapshots.size() && snapshots[k + 1].frame <= seek_target)
            ++k;
        if (seek_target < next_frame || (seek_target - snapshots[k].frame) < (seek_target - next_frame)) {
            load_snapshot(snapshots[k]);
            next_frame = snapshots[k].frame;
        }
    }

    // Time to catch up on: ten times as much when fast-forwarding or seeking, none while paused.
    if (!fast_forward && seek_target == -1)
        time_debt += dts;
    else
        time_debt += 10 * dts;
    if (paused)
        time_debt = 0;

    // Seeking and fast forward are silent, as is a pause; the opening demo
    // plays quietly behind its menu.
    loudness = fast_forward || seek_target != -1 ? 0.0f : opening_demo ? 0.3f : 1.0f;
    if (loudness == 0 || (paused && !step_once))
        hush_world_sounds();

    // Play recorded frames until caught up, or one for a single step, taking
    // snapshots on the way; stop at the end or at the seek target.
    while (time_debt > 0 || step_once) {
        if (next_frame >= frame_count() || next_frame == seek_target) {
            paused = true;
            step_once = false;
            fast_forward = false;
            seek_target = -1;
            time_debt = 0;
            break;
        }
        if (next_frame >= snapshots.back().frame + snapshot_spacing_)
            take_snapshot();
        const Frame& frame = frames[static_cast<std::size_t>(next_frame)];
        play_frame(frame);
        step_once = false;
        next_frame += 1;
        time_debt -= frame.ms / 1000.0;
    }
}

void PlaybackWorld::play_frame(const Frame& frame)
{
    for (const SDL_Event& event : frame.events) {
        double dt = frame.ms / 1000.0;
        World::handle_event(event, dt);
    }
    // The step the game took: ms / 1000 is the recorded frame time exactly.
    double dt = frame.ms / 1000.0;
    World::update(dt);
}

void PlaybackWorld::take_snapshot()
{
    scratch_.rewind();
    scratch_.truncate();
    save(scratch_);
    snapshots.emplace_back();
    snapshots.back().frame = next_frame;
    snapshots.back().state.write_raw(scratch_.bytes().data(), scratch_.bytes().size());
    snapshot_bytes_ += scratch_.bytes().size();
    while (snapshot_bytes_ > snapshot_budget && snapshots.size() > 1) {
        std::vector<Snapshot> kept;
        for (std::size_t i = 0; i < snapshots.size(); ++i) {
            if (i % 2 == 0)
                kept.push_back(std::move(snapshots[i]));
            else
                snapshot_bytes_ -= snapshots[i].state.bytes().size();
        }
        snapshots = std::move(kept);
        snapshot_spacing_ *= 2;
    }
}

void PlaybackWorld::load_snapshot(Snapshot& snapshot)
{
    snapshot.state.rewind();
    const bool loaded_again = load(snapshot.state);
    INVARIANT(loaded_again && "a snapshot of this world loads");
}

void PlaybackWorld::discard_future()
{
    next_frame = std::clamp(next_frame, 0, frame_count());
    frames.erase(frames.begin() + next_frame, frames.end());
    while (snapshots.size() > 1 && snapshots.back().frame > next_frame) {
        snapshot_bytes_ -= snapshots.back().state.bytes().size();
        snapshots.pop_back();
    }
}

void PlaybackWorld::open_perfect_menu()
{
    open_perfect_playback_screen(*this);
    time_debt = 0;
    fast_forward = false;
    paused = true;
    step_once = false;
    seek_target = -1;
    next_frame = frame_count();
}

bool PlaybackWorld::dump_recording(const std::string& name)
{
    if (!refusal_.empty())
        return false;
    OutFileStorage file(name);
    write_recording_start(file, file_name, snapshots.front().state);
    for (const Frame& frame : frames)
        write_frame(file, frame.ms, frame.events);
    const bool written = file.finish();
    log_out() << "Recording dumped to file " << name << '\n';
    return written;
}

std::unique_ptr<PlaybackWorld> open_playback(const std::string& recording_file, bool opening_demo)
{
    auto playback = std::make_unique<PlaybackWorld>(recording_file, opening_demo);
    if (!playback->refusal().empty()) {
        log_err() << playback->refusal() << '\n';
        return nullptr;
    }
    return playback;
}
