#include <charconv>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include <unistd.h>

#include "draw_bench.hpp"
#include "sound/mixer_bench.hpp"
#include "startup_bench.hpp"
#include "storage/log.hpp"
#include "tool_command.hpp"
#include "world/runner.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

const char usage[] =
    "  bench [--steps N] [--pieces P] [--replay LEVEL.lev|@stress] [--replay-minutes M] [LEVEL.lev|@stress ...]\n"
    "                                       time the World step (median and 99th percentile of its\n"
    "                                       processor time in microseconds) over N steps (default and\n"
    "                                       minimum for a report 2000) while mouse input sweeps the\n"
    "                                       sword through\n"
    "                                       each level; without levels, those of levels/levels.list\n"
    "                                       and @stress, a built-in level of 300 bodies, 60 walls and\n"
    "                                       10 goals. Then the replay figure: M minutes (default 10;\n"
    "                                       0: none) of that sweep recorded on the --replay level\n"
    "                                       (default: the slowest level timed, @stress aside),\n"
    "                                       replayed: speed, bytes per frame, snapshot memory\n"
    "                                       --pieces P (default 200; 0: none): a slab cut by scripted\n"
    "                                       strokes into P pieces, then N steps timed as they fall;\n"
    "                                       then the sound mixer's processor time for N frames\n"
    "  bench --startup [--runs N]         start the game N times (default 20), each to its first drawn\n"
    "                                       frame, and print the median time from launch to that frame\n"
    "  bench --draw [--frames N] [--plain] [--shots DIR] [--per-frame FILE] [LEVEL.lev|@stress ...]\n"
    "                                       open the game's window and time drawing (to glFinish;\n"
    "                                       median and 99th percentile in milliseconds) over N frames\n"
    "                                       (default 600) of each level swept by the sword, then of\n"
    "                                       the opening menu, level list, high scores, playback and\n"
    "                                       the editor (on the fullest level timed); beside each, the\n"
    "                                       overdraw: pixels written per screen pixel in a frame.\n"
    "                                       --plain: without the shortcuts a software renderer gets\n"
    "                                       (the way a graphics card draws), for comparison;\n"
    "                                       --shots DIR: each scene's last frame into DIR/SCENE.png;\n"
    "                                       --per-frame FILE: every timed frame as a line of CSV\n"
    "                                       (scene, frame, wall, processor and drawing thread ms)";

int usage_error()
{
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

bool parse_count(const std::string& text, int low, int& value)
{
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    return ec == std::errc() && end == text.data() + text.size() && value >= low;
}

std::unique_ptr<World> open_bench_level(const std::string& name, int& status)
{
    if (name == "@stress") {
        set_log_streams(nullptr, nullptr);
        std::unique_ptr<World> level = make_stress_level();
        restore_log_streams();
        return level;
    }
    std::string reason;
    std::unique_ptr<World> level = load_level_quietly(name, reason);
    if (!level) {
        std::cerr << reason << '\n';
        status = 1;
    }
    return level;
}

int replay_figure(const std::string& name, int minutes)
{
    int status = 0;
    const std::unique_ptr<World> level = open_bench_level(name, status);
    if (!level)
        return status;
    const std::string file =
        (std::filesystem::temp_directory_path() / ("slivermere-bench-" + std::to_string(getpid()) + ".rec")).string();
    ReplayBenchResult result;
    set_log_streams(nullptr, nullptr);
    const bool ok = bench_replay(name, *level, minutes, file, result);
    restore_log_streams();
    std::remove(file.c_str());
    if (!ok) {
        std::cerr << "bench: the replay recording " << file << " could not be written or read back\n";
        return 1;
    }
    print_replay_bench(std::cout, result);
    return 0;
}

int run(const std::vector<std::string>& args)
{
    int steps = bench_min_steps;
    int minutes = replay_bench_default_minutes;
    std::string replay_level;
    std::vector<std::string> levels;
    bool draw = false;
    bool plain = false;
    std::string shots;
    std::string per_frame;
    bool startup = false;
    int runs = 20;
    int pieces = 200;
    int frames = 600;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const bool has_value = i + 1 < args.size();
        if (args[i] == "--steps" && has_value) {
            if (!parse_count(args[++i], 1, steps))
                return usage_error();
        } else if (args[i] == "--replay-minutes" && has_value) {
            if (!parse_count(args[++i], 0, minutes))
                return usage_error();
        } else if (args[i] == "--pieces" && has_value) {
            if (!parse_count(args[++i], 0, pieces))
                return usage_error();
        } else if (args[i] == "--startup-child") {
            startup_child();
        } else if (args[i] == "--runs" && has_value) {
            if (!parse_count(args[++i], 1, runs))
                return usage_error();
        } else if (args[i] == "--startup") {
            startup = true;
        } else if (args[i] == "--draw") {
            draw = true;
        } else if (args[i] == "--plain") {
            plain = true;
        } else if (args[i] == "--shots" && has_value) {
            shots = args[++i];
        } else if (args[i] == "--per-frame" && has_value) {
            per_frame = args[++i];
        } else if (args[i] == "--frames" && has_value) {
            if (!parse_count(args[++i], 1, frames))
                return usage_error();
        } else if (args[i] == "--replay" && has_value) {
            replay_level = args[++i];
        } else if (args[i].starts_with("--")) {
            return usage_error();
        } else {
            levels.push_back(args[i]);
        }
    }
    if (startup)
        return startup_bench(runs);
    if (draw)
        return draw_bench(levels, frames, plain, shots, per_frame);
    if (levels.empty()) {
        levels = listed_level_files(".");
        levels.push_back("@stress");
    }
    if (steps < bench_min_steps)
        std::cerr << "bench: " << steps << " steps is a short run, not a measurement\n";

    int status = 0;
    std::vector<BenchResult> results;
    for (const std::string& name : levels) {
        const std::unique_ptr<World> level = open_bench_level(name, status);
        if (!level)
            continue;
        // The game's own lines would cost time and bury the table.
        set_log_streams(nullptr, nullptr);
        results.push_back(bench_level(name, *level, steps));
        restore_log_streams();
    }
    if (!results.empty())
        print_bench_table(std::cout, results);
    if (pieces > 0) {
        set_log_streams(nullptr, nullptr);
        const CuttingBenchResult cutting = bench_cutting(static_cast<std::size_t>(pieces), steps);
        restore_log_streams();
        print_cutting_bench(std::cout, cutting);
    }
    print_mixer_bench(std::cout, bench_mixer(steps));

    if (minutes == 0)
        return status;
    if (replay_level.empty()) {
        double slowest = -1;
        for (const BenchResult& r : results)
            if (r.level != "@stress" && r.median_us > slowest) {
                slowest = r.median_us;
                replay_level = r.level;
            }
    }
    if (replay_level.empty())
        replay_level = "@stress";
    const int replay_status = replay_figure(replay_level, minutes);
    return status != 0 ? status : replay_status;
}

const ToolCommand command("bench", usage, run);

}  // namespace
