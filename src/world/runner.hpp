#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "world/world_hooks.hpp"

class PlaybackWorld;
class RecordingWorld;
class World;

// Plays a level without a window: frames of scripted input, each handed to
// the world the way the frame loop hands it over, then one step.
//
// An input script is text, one frame a line:
//
//   MS [EVENT ...]   # comment
//
// MS is the frame's whole milliseconds, 15 to 33 (the only frame times the
// game produces). Events follow in the order they reach the world, separated
// by blanks:
//   m:DX,DY  mouse motion by DX, DY pixels (-32768 to 32767, y down)
//   d:B      press of mouse button B (1 to 255)
//   u:B      release of mouse button B
//   k:SYM    press of the key with SDL key number SYM (0 to 322)
//   K:SYM    release of that key
// '#' starts a comment. A line holding nothing but blanks or a comment is not
// a frame, so scripts can be spaced and annotated freely.
struct ScriptFrame {
    unsigned int ms = 16;
    std::vector<SDL_Event> events;
};

struct InputScript {
    std::vector<ScriptFrame> frames;
};

// Where the mouse starts: the middle of the 1023 x 768 window.
constexpr int script_mouse_start_x = 511;
constexpr int script_mouse_start_y = 384;

// False on the first bad line; `error` then reads "line N: what is wrong".
// Motion events carry an absolute position too, as SDL gives one: it starts
// in the middle of the window and follows the motion, kept inside the window.
// Button events carry that position; motion events carry the held buttons.
bool parse_input_script(std::istream& text, InputScript& script, std::string& error);

struct RunOptions {
    // Frames to play; 0 plays the script's length, at least one frame.
    int frames = 0;
    // Milliseconds of the frames beyond the script.
    unsigned int default_ms = 16;
    // Called after every step with the frame's index.
    std::function<void(int frame, const World& world)> after_step;
};

struct RunResult {
    Outcome outcome = Outcome::none;
    int frames = 0;
    double timer = 0.0;
    std::size_t bodies = 0;
    std::uint64_t state = 0;
};

// load_level with the game's own lines muted; when the level cannot be
// opened, `reason` is load_level's one line naming the file and why.
std::unique_ptr<World> load_level_quietly(const std::string& file_name, std::string& reason);
// start_recording and open_playback (not the opening demo) the same way.
std::unique_ptr<RecordingWorld> start_recording_quietly(const std::string& level_file,
                                                        const std::string& recording_file, std::string& reason);
std::unique_ptr<PlaybackWorld> open_playback_quietly(const std::string& recording_file, std::string& reason);

// Plays the frames and stops after the first step that leaves an outcome.
// The world must not be current_world (see the definition).
RunResult run_world(World& world, const InputScript& script, const RunOptions& options);

// Replays a recording frame by frame through the playback's own stepping
// (one single step at a time) and stops after the first frame that leaves an
// outcome, or after `max_frames` frames when that is above 0. The playback
// must not be current_world: that would be a take-over.
RunResult replay_world(PlaybackWorld& playback, int max_frames);

// Where a result's recording says it ended: "recordings/" + score key + "." +
// player + "." + time text + ".rec". False when the name has no time text.
bool recording_time_text(const std::string& path, std::string& time);

// Replays a result's recording and checks that it reaches a win whose time
// text is the one in its name. `why` tells what went wrong.
bool verify_recording(const std::string& path, std::string& why);

// 64-bit FNV-1a.
std::uint64_t fnv1a(const unsigned char* data, std::size_t size);
// The hash of the world's record, as a level file would hold it.
std::uint64_t state_hash(const World& world);

const char* outcome_name(Outcome outcome);
// "outcome=win frames=F timer=T bodies=B state=HEX", the time in its
// shortest exact form and the hash as 16 lower-case hex digits.
std::string result_line(const RunResult& result);
