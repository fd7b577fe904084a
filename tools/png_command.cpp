#include <cstdint>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "render/png.hpp"
#include "storage/log.hpp"
#include "tool_command.hpp"

namespace {

const char usage[] =
    "  png FILE.png OUT.rgba                decode FILE.png as the game does, write its 8-bit RGBA\n"
    "                                       bytes top row first to OUT.rgba, print WIDTH HEIGHT";

int run(const std::vector<std::string>& args)
{
    if (args.size() != 2) {
        std::cerr << "usage:\n" << usage << '\n';
        return 2;
    }
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    // Standard output carries only the size; the loader's reasons go to the error stream.
    set_log_streams(&std::cerr, &std::cerr);
    const bool loaded = load_png(args[0], width, height, pixels);
    restore_log_streams();
    if (!loaded) {
        std::cerr << "png: cannot load " << args[0] << '\n';
        return 1;
    }
    flip_rows(pixels, width, height);
    std::ofstream out(args[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(pixels.data()), static_cast<std::streamsize>(pixels.size() * 4));
    if (!out.flush()) {
        std::cerr << "png: cannot write " << args[1] << '\n';
        return 1;
    }
    std::cout << width << ' ' << height << '\n';
    return 0;
}

const ToolCommand command("png", usage, run);

}  // namespace
