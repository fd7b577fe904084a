#pragma once

#include <memory>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "storage/memory_storage.hpp"
#include "world/world.hpp"

class InFileStorage;

// The world of normal play. It records the level as it was when play began
// and then every frame's milliseconds and input events, and writes the
// recording to `recording_file` when it is destroyed. Replaying the frames
// from that state gives back the same game.
class RecordingWorld : public World {
public:
    // Loads the level file (strict); the world's file name becomes its name.
    // Check loaded(): a damaged or missing level leaves it unusable.
    RecordingWorld(const std::string& level_file, const std::string& recording_file);
    // The editor's playtest keeps the level in a storage; the file name stays
    // the default.
    RecordingWorld(BaseStorage& level, const std::string& recording_file);
    // Writes the recording to `recording_file` (none when it is empty or the
    // level never loaded), then prints "Recording done".
    ~RecordingWorld() override;

    bool handle_event(const SDL_Event& event, double& dt) override;
    void update(double& time) override;

    // Writes the recording file: the level's file name, the starting World
    // record, the frames. False when the file could not be written.
    bool dump_recording(const std::string& file_name);

    std::vector<SDL_Event> pending_events;
    std::string recording_file;
    // From the World record on; the file adds the magic number and the name.
    MemoryStorage recording;

private:
    RecordingWorld(InFileStorage&& level, const std::string& level_file, const std::string& recording_file);
};

// A frame's step in the whole milliseconds a recording stores (the frame
// loop's own); a replay steps by ms / 1000, which is then the step taken.
double whole_milliseconds(double seconds);
// The start of a recording file: the level's name, then its World record
// (read from the start of `state`).
void write_recording_start(BaseStorage& to, const std::string& level_name, BaseStorage& state);
// One frame as a recording holds it: its milliseconds, then its input events.
void write_frame(BaseStorage& to, unsigned int ms, const std::vector<SDL_Event>& events);

// Every game the player plays is recorded here; results keep a copy under
// "recordings/".
constexpr const char* game_recording = "world.rec";

// A new RecordingWorld of a level file. Null, with one line on the error
// stream naming the file and the reason, when the level cannot be played.
std::unique_ptr<RecordingWorld> start_recording(const std::string& level_file, const std::string& recording_file);
