#include <iostream>
#include <string>
#include <vector>

#include "render/art/contact_sheet.hpp"
#include "render/art/game_art.hpp"
#include "render/png.hpp"
#include "tool_command.hpp"

namespace {

const char usage[] =
    "  art OUTDIR                           draws every picture the game needs into OUTDIR\n"
    "  art OUTDIR SHEET.png DATADIR         the same, and a contact sheet of them, with the style\n"
    "                                       numbers read from DATADIR (the data folder)";

int run(const std::vector<std::string>& args)
{
    if (args.size() != 1 && args.size() != 3) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    if (!make_game_art(args[0])) {
        std::cerr << "art: cannot write the pictures into " << args[0] << '\n';
        return 1;
    }
    if (args.size() == 3) {
        const Canvas sheet = draw_contact_sheet(draw_game_art(), args[2]);
        if (!save_png(args[1], sheet.width(), sheet.height(), to_rgba8(sheet)))
            return 1;
    }
    return 0;
}

const ToolCommand command("art", usage, run);

}  // namespace
