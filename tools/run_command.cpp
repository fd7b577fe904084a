#include <charconv>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "app/shell.hpp"
#include "storage/log.hpp"
#include "tool_command.hpp"
#include "world/recording_world.hpp"
#include "world/runner.hpp"
#include "world/step_sounds.hpp"
#include "world/world.hpp"

namespace {

const char usage[] =
    "  run LEVEL.lev [--input SCRIPT] [--frames N] [--ms MS] [--record OUT.rec] [--quiet]\n"
    "                                       play a level without a window from an input script (one\n"
    "                                       frame a line: MS then m:DX,DY d:B u:B k:SYM K:SYM events;\n"
    "                                       '#' comments). N frames (default: the script's, at least\n"
    "                                       1), MS ms (15-33, default 16) beyond the script; stops at\n"
    "                                       the first win, loss or time-out. Last line on standard\n"
    "                                       output: outcome=... frames=F timer=T bodies=B state=HASH.\n"
    "                                       --record writes the game as a recording (replay it with\n"
    "                                       replay). --quiet mutes the game's own lines. --sounds\n"
    "                                       prints the effects each step plays, one a line: sound\n"
    "                                       FRAME MS EFFECT GAIN (MS: the game's time at the frame's end)";

int usage_error()
{
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

bool parse_number(const std::string& text, long low, long high, long& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && low <= value && value <= high;
}

int run(const std::vector<std::string>& args)
{
    std::string level;
    std::string input;
    std::string record;
    RunOptions options;
    bool quiet = false;
    bool sounds = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool has_value = i + 1 < args.size();
        long number = 0;
        if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--sounds") {
            sounds = true;
        } else if (arg == "--input" && has_value) {
            input = args[++i];
        } else if (arg == "--frames" && has_value) {
            if (!parse_number(args[++i], 1, 1000000000, number)) {
                std::cerr << "run: --frames needs a whole number of frames, at least 1\n";
                return 2;
            }
            options.frames = static_cast<int>(number);
        } else if (arg == "--ms" && has_value) {
            if (!parse_number(args[++i], min_frame_ms, max_frame_ms, number)) {
                std::cerr << "run: --ms needs whole milliseconds from " << min_frame_ms << " to " << max_frame_ms
                          << '\n';
                return 2;
            }
            options.default_ms = static_cast<unsigned int>(number);
        } else if (arg == "--record" && has_value) {
            record = args[++i];
        } else if (arg.starts_with("--") || !level.empty()) {
            return usage_error();
        } else {
            level = arg;
        }
    }
    if (level.empty())
        return usage_error();

    InputScript script;
    if (!input.empty()) {
        std::ifstream text(input);
        if (!text) {
            std::cerr << "run: cannot read the input script " << input << '\n';
            return 1;
        }
        std::string error;
        if (!parse_input_script(text, script, error)) {
            std::cerr << "run: " << input << ": " << error << '\n';
            return 1;
        }
    }

    // The reason a level cannot be opened is shown even when quiet.
    std::string reason;
    std::unique_ptr<World> world;
    RecordingWorld* recording = nullptr;
    if (record.empty()) {
        world = quiet ? load_level_quietly(level, reason) : load_level(level);
    } else {
        std::unique_ptr<RecordingWorld> recorded =
            quiet ? start_recording_quietly(level, record, reason) : start_recording(level, record);
        recording = recorded.get();
        world = std::move(recorded);
    }
    if (!world) {
        if (quiet)
            std::cerr << reason << '\n';
        return 1;
    }
    std::vector<Cue> cues;
    unsigned int elapsed_ms = 0;
    if (sounds)
        options.after_step = [&](int frame, const World& w) {
            elapsed_ms += frame < static_cast<int>(script.frames.size())
                              ? script.frames[static_cast<std::size_t>(frame)].ms
                              : options.default_ms;
            step_cues(w.report, 1, cues);
            for (const Cue& cue : cues)
                std::cout << "sound " << frame << ' ' << elapsed_ms << ' ' << effect_name(cue.effect) << ' '
                          << cue.gain << '\n';
        };
    if (quiet)
        set_log_streams(nullptr, nullptr);
    const RunResult result = run_world(*world, script, options);
    restore_log_streams();
    // A file that cannot be written is told even when quiet.
    if (quiet)
        set_log_streams(nullptr, &std::cerr);
    bool written = true;
    if (recording) {
        // Written here, where a failure can be told; not again when it goes.
        written = recording->dump_recording(record);
        recording->recording_file.clear();
    }
    // Its last lines come before the result.
    world.reset();
    restore_log_streams();
    if (!written)
        return 1;
    std::cout << result_line(result) << std::endl;
    return 0;
}

const ToolCommand command("run", usage, run);

}  // namespace
