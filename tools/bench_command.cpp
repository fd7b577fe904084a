#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "app/log.hpp"
#include "tool_command.hpp"
#include "world/runner.hpp"
#include "world/step_bench.hpp"
#include "world/world.hpp"

namespace {

const char usage[] =
    "  bench [--steps N] [LEVEL.lev|@stress ...]\n"
    "                                       time the World step (median and 99th percentile in\n"
    "                                       microseconds) over N steps (default and minimum for a\n"
    "                                       report 2000) while mouse input sweeps the sword through\n"
    "                                       each level; without levels, those of levels/levels.list\n"
    "                                       and @stress, a built-in level of 300 bodies, 60 walls and\n"
    "                                       10 goals";

int usage_error()
{
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

int run(const std::vector<std::string>& args)
{
    int steps = bench_min_steps;
    std::vector<std::string> levels;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--steps" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), steps);
            if (ec != std::errc() || end != text.data() + text.size() || steps < 1)
                return usage_error();
        } else if (args[i].starts_with("--")) {
            return usage_error();
        } else {
            levels.push_back(args[i]);
        }
    }
    if (levels.empty()) {
        levels = listed_level_files(".");
        levels.push_back("@stress");
    }
    if (steps < bench_min_steps)
        std::cerr << "bench: " << steps << " steps is a short run, not a measurement\n";

    int status = 0;
    std::vector<BenchResult> results;
    for (const std::string& name : levels) {
        std::unique_ptr<World> level;
        if (name == "@stress") {
            set_log_streams(nullptr, nullptr);
            level = make_stress_level();
        } else {
            std::string reason;
            level = load_level_quietly(name, reason);
            if (!level) {
                std::cerr << reason << '\n';
                status = 1;
                continue;
            }
        }
        // The game's own lines would cost time and bury the table.
        set_log_streams(nullptr, nullptr);
        results.push_back(bench_level(name, *level, steps));
        restore_log_streams();
    }
    if (!results.empty())
        print_bench_table(std::cout, results);
    return status;
}

const ToolCommand command("bench", usage, run);

}  // namespace
