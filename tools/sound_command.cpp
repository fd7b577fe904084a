#include <iostream>
#include <string>
#include <vector>

#include "sound/synthesis.hpp"
#include "tool_command.hpp"

namespace {

const char usage[] = "  sound OUTDIR                         makes every sound effect into OUTDIR/sounds";

int run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    if (!make_game_sounds(args[0])) {
        std::cerr << "sound: cannot write the effects into " << args[0] << "/sounds" << '\n';
        return 1;
    }
    return 0;
}

const ToolCommand command("sound", usage, run);

}  // namespace
