#include "world/runner.hpp"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <sstream>
#include <string_view>

#include "geometry/view.hpp"
#include "storage/log.hpp"
#include "storage/memory_storage.hpp"
#include "world/frame_limits.hpp"
#include "world/playback_world.hpp"
#include "world/recording_world.hpp"
#include "world/time_text.hpp"
#include "world/world.hpp"

namespace {


// A token as a message quotes it: long ones shortened.
std::string quoted(std::string_view token)
{
    constexpr std::size_t max_shown = 32;
    std::string text(1, '\'');
    text += token.substr(0, max_shown);
    if (token.size() > max_shown)
        text += "...";
    text += '\'';
    return text;
}

// A whole decimal integer: an optional '-' and digits, nothing else.
bool parse_long(std::string_view text, long& value)
{
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    return !text.empty() && ec == std::errc() && stop == end;
}

bool parse_in_range(std::string_view text, long low, long high, long& value)
{
    return parse_long(text, value) && low <= value && value <= high;
}

std::vector<std::string_view> split_blanks(std::string_view line)
{
    std::vector<std::string_view> tokens;
    const char* blanks = " \t\r\v\f";
    std::size_t start = line.find_first_not_of(blanks);
    while (start != std::string_view::npos) {
        const std::size_t stop = line.find_first_of(blanks, start);
        tokens.push_back(line.substr(start, stop == std::string_view::npos ? stop : stop - start));
        start = stop == std::string_view::npos ? stop : line.find_first_not_of(blanks, stop);
    }
    return tokens;
}

// Turns event tokens into SDL events, keeping the mouse position and the
// held buttons across the whole script as SDL would.
class EventBuilder {
public:
    bool build(std::string_view token, SDL_Event& event, std::string& error)
    {
        std::memset(&event, 0, sizeof event);
        if (token.size() < 3 || token[1] != ':') {
            error = quoted(token) + " is not an event (m:DX,DY d:B u:B k:SYM K:SYM)";
            return false;
        }
        const std::string_view value = token.substr(2);
        switch (token[0]) {
        case 'm':
            return motion(token, value, event, error);
        case 'd':
        case 'u':
            return button(token, value, token[0] == 'd', event, error);
        case 'k':
        case 'K':
            return key(token, value, token[0] == 'k', event, error);
        default:
            error = quoted(token) + " is not an event (m:DX,DY d:B u:B k:SYM K:SYM)";
            return false;
        }
    }

private:
    bool motion(std::string_view token, std::string_view value, SDL_Event& event, std::string& error)
    {
        const std::size_t comma = value.find(',');
        long dx = 0;
        long dy = 0;
        if (comma == std::string_view::npos || !parse_in_range(value.substr(0, comma), -32768, 32767, dx) ||
            !parse_in_range(value.substr(comma + 1), -32768, 32767, dy)) {
            error = "mouse motion " + quoted(token) + " needs m:DX,DY with whole pixels from -32768 to 32767";
            return false;
        }
        x_ = std::clamp<long>(x_ + dx, 0, window_width - 1);
        y_ = std::clamp<long>(y_ + dy, 0, window_height - 1);
        event.type = SDL_MOUSEMOTION;
        event.motion.state = buttons_;
        event.motion.x = static_cast<Uint16>(x_);
        event.motion.y = static_cast<Uint16>(y_);
        event.motion.xrel = static_cast<Sint16>(dx);
        event.motion.yrel = static_cast<Sint16>(dy);
        return true;
    }

    bool button(std::string_view token, std::string_view value, bool press, SDL_Event& event, std::string& error)
    {
        long number = 0;
        if (!parse_in_range(value, 1, 255, number)) {
            error = "mouse button in " + quoted(token) + " must be a number from 1 to 255";
            return false;
        }
        // SDL's button mask has room for the first eight buttons only.
        const Uint8 mask = number <= 8 ? static_cast<Uint8>(SDL_BUTTON(number)) : 0;
        buttons_ = press ? (buttons_ | mask) : (buttons_ & ~mask);
        event.type = press ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        event.button.button = static_cast<Uint8>(number);
        event.button.state = press ? SDL_PRESSED : SDL_RELEASED;
        event.button.x = static_cast<Uint16>(x_);
        event.button.y = static_cast<Uint16>(y_);
        return true;
    }

    static bool key(std::string_view token, std::string_view value, bool press, SDL_Event& event, std::string& error)
    {
        long sym = 0;
        if (!parse_in_range(value, 0, SDLK_LAST - 1, sym)) {
            error = "key in " + quoted(token) + " must be an SDL key number from 0 to " +
                    std::to_string(SDLK_LAST - 1);
            return false;
        }
        event.type = press ? SDL_KEYDOWN : SDL_KEYUP;
        event.key.state = press ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = static_cast<SDLKey>(sym);
        return true;
    }

    long x_ = script_mouse_start_x;
    long y_ = script_mouse_start_y;
    Uint8 buttons_ = 0;
};

}  // namespace

bool parse_input_script(std::istream& text, InputScript& script, std::string& error)
{
    script.frames.clear();
    EventBuilder builder;
    std::string line;
    for (int number = 1; std::getline(text, line); ++number) {
        std::string_view content = line;
        content = content.substr(0, content.find('#'));
        const std::vector<std::string_view> tokens = split_blanks(content);
        if (tokens.empty())
            continue;

        const std::string where = "line " + std::to_string(number) + ": ";
        ScriptFrame frame;
        long ms = 0;
        if (!parse_long(tokens[0], ms)) {
            error = where + "a frame starts with its whole milliseconds, not " + quoted(tokens[0]);
            return false;
        }
        if (ms < static_cast<long>(min_frame_ms) || ms > static_cast<long>(max_frame_ms)) {
            error = where + "frame time " + std::to_string(ms) + " ms is outside " + std::to_string(min_frame_ms) +
                    " to " + std::to_string(max_frame_ms);
            return false;
        }
        frame.ms = static_cast<unsigned int>(ms);
        for (std::size_t i = 1; i < tokens.size(); ++i) {
            SDL_Event event;
            std::string what;
            if (!builder.build(tokens[i], event, what)) {
                error = where + what;
                return false;
            }
            frame.events.push_back(event);
        }
        script.frames.push_back(std::move(frame));
    }
    return true;
}

namespace {

// Calls `open` with the game's lines muted; when it gives nothing, `reason`
// is the one line it printed last on the error stream, naming the file and why.
template <typename Open>
auto quietly(Open open, std::string& reason)
{
    std::ostringstream errors;
    set_log_streams(nullptr, &errors);
    auto world = open();
    restore_log_streams();
    if (!world) {
        // The refusal is the last line; anything before it is the loaders' noise.
        std::string text = errors.str();
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        reason = text.substr(text.rfind('\n') + 1);
    }
    return world;
}

}  // namespace

std::unique_ptr<World> load_level_quietly(const std::string& file_name, std::string& reason)
{
    return quietly([&] { return load_level(file_name); }, reason);
}

std::unique_ptr<RecordingWorld> start_recording_quietly(const std::string& level_file,
                                                        const std::string& recording_file, std::string& reason)
{
    return quietly([&] { return start_recording(level_file, recording_file); }, reason);
}

std::unique_ptr<PlaybackWorld> open_playback_quietly(const std::string& recording_file, std::string& reason)
{
    return quietly([&] { return open_playback(recording_file, false); }, reason);
}

namespace {

// The run's end as the world stands after its last frame.
RunResult with_end_of(RunResult result, const World& world)
{
    result.outcome = world.outcome;
    result.timer = world.timer.time;
    result.bodies = world.physics_polygons.size();
    result.state = state_hash(world);
    return result;
}

}  // namespace

RunResult run_world(World& world, const InputScript& script, const RunOptions& options)
{
    const int script_frames = static_cast<int>(script.frames.size());
    const int frames = options.frames > 0 ? options.frames : std::max(script_frames, 1);
    RunResult result;
    // The world is never made current_world: its pause key (Space, Escape)
    // then does nothing, where it would destroy a current world.
    for (int i = 0; i < frames; ++i) {
        const ScriptFrame* frame = i < script_frames ? &script.frames[static_cast<std::size_t>(i)] : nullptr;
        const unsigned int ms = frame ? frame->ms : options.default_ms;
        if (frame) {
            for (const SDL_Event& event : frame->events) {
                // The frame loop never delivers wheel presses.
                if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button > 3)
                    continue;
                // A fresh time per call, as the frame loop passes it.
                double dt = ms / 1000.0;
                world.handle_event(event, dt);
            }
        }
        double dt = ms / 1000.0;
        world.update(dt);
        if (options.after_step)
            options.after_step(i, world);
        result.frames = i + 1;
        if (world.outcome != Outcome::none)
            break;
    }
    return with_end_of(result, world);
}

RunResult replay_world(PlaybackWorld& playback, int max_frames)
{
    RunResult result;
    playback.seek_target = -1;
    playback.fast_forward = false;
    while (max_frames <= 0 || result.frames < max_frames) {
        const int before = playback.next_frame;
        playback.paused = true;
        playback.step_once = true;
        double dt = 0.0;
        playback.update(dt);
        if (playback.next_frame == before)
            break;
        result.frames += 1;
        if (playback.outcome != Outcome::none)
            break;
    }
    return with_end_of(result, playback);
}

bool recording_time_text(const std::string& path, std::string& time)
{
    const std::string_view suffix = ".rec";
    std::string_view name = path;
    name = name.substr(name.rfind('/') + 1);
    if (name.size() <= suffix.size() || !name.ends_with(suffix))
        return false;
    name.remove_suffix(suffix.size());
    // The time text holds the name's last point; the one before it ends the player.
    const std::size_t point = name.rfind('.');
    if (point == std::string_view::npos || point == 0)
        return false;
    const std::size_t start = name.rfind('.', point - 1);
    if (start == std::string_view::npos || start == 0 || name.rfind('.', start - 1) == std::string_view::npos ||
        !(name.starts_with("R-") || name.starts_with("P-")))
        return false;
    const std::string_view text = name.substr(start + 1);
    const std::string_view seconds = text.substr(0, text.find('.'));
    const std::string_view millis = text.substr(text.find('.') + 1);
    const auto digits = [](std::string_view s) {
        return !s.empty() && s.find_first_not_of("0123456789") == std::string_view::npos;
    };
    const std::size_t colon = seconds.find(':');
    const bool whole = colon == std::string_view::npos
                           ? digits(seconds)
                           : digits(seconds.substr(0, colon)) && seconds.size() - colon == 3 &&
                                 digits(seconds.substr(colon + 1));
    if (!whole || millis.size() != 3 || !digits(millis))
        return false;
    time = text;
    return true;
}

bool verify_recording(const std::string& path, std::string& why)
{
    std::string expected;
    if (!recording_time_text(path, expected)) {
        why = path + ": the name is not KEY.PLAYER.TIME.rec with a time such as 5.250 or 1:15.500";
        return false;
    }
    PlaybackWorld playback(path, false);
    if (!playback.refusal().empty()) {
        why = playback.refusal();
        return false;
    }
    const RunResult result = replay_world(playback, 0);
    if (result.outcome != Outcome::win) {
        why = path + ": the replay does not win (" + result_line(result) + ")";
        return false;
    }
    const std::string won = time_text(result.timer);
    if (won != expected) {
        why = path + ": the replay wins in " + won + ", the name says " + expected;
        return false;
    }
    return true;
}

std::uint64_t fnv1a(const unsigned char* data, std::size_t size)
{
    std::uint64_t hash = 0xcbf29ce484222325u;
    for (std::size_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 0x100000001b3u;
    }
    return hash;
}

std::uint64_t state_hash(const World& world)
{
    MemoryStorage storage;
    world.save(storage);
    return fnv1a(storage.bytes().data(), storage.bytes().size());
}

const char* outcome_name(Outcome outcome)
{
    switch (outcome) {
    case Outcome::win:
        return "win";
    case Outcome::lose:
        return "lose";
    case Outcome::time_out:
        return "timeout";
    case Outcome::none:
        break;
    }
    return "none";
}

std::string result_line(const RunResult& result)
{
    char timer[32];
    const auto timer_end = std::to_chars(timer, timer + sizeof timer, result.timer).ptr;
    char state[17];
    const auto state_end = std::to_chars(state, state + sizeof state, result.state, 16).ptr;
    const std::string hex(state, state_end);
    return std::string("outcome=") + outcome_name(result.outcome) + " frames=" + std::to_string(result.frames) +
           " timer=" + std::string(timer, timer_end) + " bodies=" + std::to_string(result.bodies) +
           " state=" + std::string(16 - hex.size(), '0') + hex;
}
