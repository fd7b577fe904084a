#include <iostream>
#include <string>
#include <vector>

#include "render/art/game_icon.hpp"
#include "tool_command.hpp"

namespace {

const char usage[] =
    "  icon OUTDIR                          draws the desktop icon at every size into\n"
    "                                       OUTDIR/NxN/apps/slivermere.png (an icon theme's layout)";

int run(const std::vector<std::string>& args)
{
    if (args.size() != 1) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    return make_game_icons(args[0]) ? 0 : 1;
}

const ToolCommand command("icon", usage, run);

}  // namespace
