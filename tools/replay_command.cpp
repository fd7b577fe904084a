#include <algorithm>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "storage/log.hpp"
#include "tool_command.hpp"
#include "world/playback_world.hpp"
#include "world/runner.hpp"

namespace {

const char usage[] =
    "  replay FILE.rec [--frames N] [--quiet]\n"
    "                                       replay a recording without a window, at most N frames;\n"
    "                                       stops at the first win, loss or time-out. Last line on\n"
    "                                       standard output: outcome=... frames=F timer=T bodies=B\n"
    "                                       state=HASH, as run gives for the game recorded. A refused\n"
    "                                       file: its reason on standard error, exit 1\n"
    "  replay --verify FILE.rec|FOLDER ...  replay results' recordings (recordings/KEY.PLAYER.TIME.rec;\n"
    "                                       a folder: every .rec in it) and check that each wins in\n"
    "                                       the time its name gives; one line each, exit 0 only when\n"
    "                                       all do";

int usage_error()
{
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

// A folder stands for every ".rec" file in it, in name order.
std::vector<std::string> recording_files(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    for (const std::string& arg : args) {
        std::error_code error;
        if (!std::filesystem::is_directory(arg, error)) {
            files.push_back(arg);
            continue;
        }
        std::vector<std::string> found;
        for (const auto& entry : std::filesystem::directory_iterator(arg, error))
            if (entry.path().extension() == ".rec")
                found.push_back(entry.path().string());
        std::sort(found.begin(), found.end());
        files.insert(files.end(), found.begin(), found.end());
    }
    return files;
}

int verify(const std::vector<std::string>& files)
{
    int failures = 0;
    for (const std::string& file : files) {
        std::string why;
        set_log_streams(nullptr, nullptr);
        const bool ok = verify_recording(file, why);
        restore_log_streams();
        if (ok) {
            std::cout << "ok " << file << '\n';
        } else {
            std::cout << "FAILED " << why << '\n';
            ++failures;
        }
    }
    const int count = static_cast<int>(files.size());
    std::cout << count - failures << " of " << count << " recordings verified" << std::endl;
    return failures == 0 ? 0 : 1;
}

int run(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    bool quiet = false;
    bool verifying = false;
    int frames = 0;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--quiet") {
            quiet = true;
        } else if (arg == "--verify") {
            verifying = true;
        } else if (arg == "--frames" && i + 1 < args.size()) {
            const std::string& text = args[++i];
            const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), frames);
            if (ec != std::errc() || end != text.data() + text.size() || frames < 1) {
                std::cerr << "replay: --frames needs a whole number of frames, at least 1\n";
                return 2;
            }
        } else if (arg.starts_with("--")) {
            return usage_error();
        } else {
            files.push_back(arg);
        }
    }
    if (verifying)
        return files.empty() ? usage_error() : verify(recording_files(files));
    if (files.size() != 1)
        return usage_error();

    std::string reason;
    std::unique_ptr<PlaybackWorld> playback =
        quiet ? open_playback_quietly(files[0], reason) : open_playback(files[0], false);
    if (!playback) {
        if (quiet)
            std::cerr << reason << '\n';
        return 1;
    }
    if (quiet)
        set_log_streams(nullptr, nullptr);
    const RunResult result = replay_world(*playback, frames);
    // Its farewell comes before the result.
    playback.reset();
    restore_log_streams();
    std::cout << result_line(result) << std::endl;
    return 0;
}

const ToolCommand command("replay", usage, run);

}  // namespace
