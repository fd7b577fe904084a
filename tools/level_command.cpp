#include <charconv>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/picture_files.hpp"
#include "storage/file_storage.hpp"
#include "storage/log.hpp"
#include "tool_command.hpp"
#include "world/level_check.hpp"
#include "world/level_list.hpp"
#include "world/level_picture.hpp"
#include "world/level_sheet.hpp"
#include "world/level_text.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace {

const char usage[] =
    "  level dump FILE.lev                  print the level as level text (docs/level_format.md)\n"
    "  level build SRC.txt OUT.lev          make a level file from level text\n"
    "  level check [--list LIST] FILE.lev|FILE.txt ...\n"
    "                                       what is wrong with each level, one line a finding;\n"
    "                                       exit 1 on any error; `unlocks` goals must name a level\n"
    "                                       of LIST (default levels/levels.list)\n"
    "  level picture FILE.lev OUT.png [--width PIXELS]\n"
    "                                       draw the whole level as the game shows it (goals visible,\n"
    "                                       the sword at its start) into a PNG PIXELS wide (default:\n"
    "                                       the game's scale); opens the game's window, so it needs a\n"
    "                                       display; run it in build/game\n"
    "  level sheet OUT.png [--screen PIXELS] [--list FILE]\n"
    "                                       a contact sheet of every level in FILE (default\n"
    "                                       levels/levels.list), captioned, one screen PIXELS wide\n"
    "                                       (default 400); run it in build/game";

int dump(const std::string& file)
{
    std::string reason;
    const std::unique_ptr<World> world = load_level_quietly(file, reason);
    if (!world) {
        std::cerr << "level dump: " << reason << '\n';
        return 1;
    }
    // Making the defaults to compare with prints font warnings.
    set_log_streams(nullptr, nullptr);
    const std::string text = dump_level(*world);
    restore_log_streams();
    std::cout << text;
    return std::cout.flush() ? 0 : 1;
}

int build(const std::string& source, const std::string& target)
{
    std::ifstream in(source, std::ios::binary);
    std::ostringstream contents;
    if (in.is_open())
        contents << in.rdbuf();
    const std::string text = contents.str();
    if (!in.is_open() || in.bad()) {
        std::cerr << "level build: cannot read " << source << '\n';
        return 1;
    }
    set_log_streams(nullptr, nullptr);
    World world;
    std::string error;
    const bool built = build_level(text, world, error);
    if (!built) {
        restore_log_streams();
        std::cerr << source << ": " << error << '\n';
        return 1;
    }
    // finish() names the file and the reason on the error stream.
    set_log_streams(nullptr, &std::cerr);
    OutFileStorage out(target);
    world.save(out);
    const bool written = out.finish();
    restore_log_streams();
    return written ? 0 : 1;
}

int check(const std::vector<std::string>& args)
{
    LevelCheckOptions options;
    std::vector<std::string> files;
    bool list_given = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--list" && i + 1 < args.size() && !list_given) {
            options.level_list_path = args[++i];
            list_given = true;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.empty()) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    options.level_list = read_level_list(options.level_list_path);
    if (list_given && options.level_list.empty()) {
        std::cerr << "level check: cannot read the level list " << options.level_list_path << '\n';
        return 1;
    }

    bool error = false;
    for (const std::string& file : files) {
        // Loading and playing print the game's own lines; only findings show.
        set_log_streams(nullptr, nullptr);
        const std::vector<LevelFinding> findings = check_level_file(file, options);
        restore_log_streams();
        for (const LevelFinding& finding : findings) {
            error = error || finding.severity == LevelFinding::Severity::error;
            std::cout << file << ": " << finding_line(finding) << '\n';
        }
    }
    std::cout.flush();
    return error ? 1 : 0;
}

// "--NAME VALUE" at args[i], VALUE a whole number from low to high.
bool number_option(const std::vector<std::string>& args, std::size_t& i, const char* name, int low, int high,
                   int& value)
{
    if (args[i] != name)
        return false;
    const std::string text = i + 1 < args.size() ? args[++i] : "";
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || end != text.data() + text.size() || value < low || value > high) {
        std::cerr << "level: " << name << " needs a whole number of pixels from " << low << " to " << high << '\n';
        value = -1;
    }
    return true;
}

int picture(const std::vector<std::string>& args)
{
    std::vector<std::string> files;
    int width = 0;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (number_option(args, i, "--width", 1, 65536, width)) {
            if (width < 0)
                return 2;
        } else if (args[i].starts_with("--")) {
            std::cerr << "usage:\n" << usage << '\n';
            return 2;
        } else {
            files.push_back(args[i]);
        }
    }
    if (files.size() != 2) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    std::string error;
    if (!write_level_picture(files[0], files[1], width, error)) {
        std::cerr << "level picture: " << error << '\n';
        return 1;
    }
    return 0;
}

int sheet(const std::vector<std::string>& args)
{
    std::string out;
    std::string list = "levels/levels.list";
    int screen = 400;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (number_option(args, i, "--screen", 16, 4096, screen)) {
            if (screen < 0)
                return 2;
        } else if (args[i] == "--list" && i + 1 < args.size()) {
            list = args[++i];
        } else if (args[i].starts_with("--") || !out.empty()) {
            std::cerr << "usage:\n" << usage << '\n';
            return 2;
        } else {
            out = args[i];
        }
    }
    if (out.empty()) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    std::string error;
    if (!write_level_sheet(list, out, screen, error)) {
        std::cerr << "level sheet: " << error << '\n';
        return 1;
    }
    return 0;
}

int run(const std::vector<std::string>& args)
{
    if (!args.empty() && args[0] == "check")
        return check(args);
    if (!args.empty() && args[0] == "picture")
        return picture(args);
    if (!args.empty() && args[0] == "sheet")
        return sheet(args);
    if (args.size() == 2 && args[0] == "dump")
        return dump(args[1]);
    if (args.size() == 3 && args[0] == "build")
        return build(args[1], args[2]);
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

const ToolCommand command("level", usage, run);

}  // namespace
