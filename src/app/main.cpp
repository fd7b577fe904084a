#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/shell.hpp"

namespace {

const char usage[] =
    "usage: slivermere [ARGUMENT]\n"
    "\n"
    "Slivermere: steer a sword with the mouse and cut shapes into the pieces\n"
    "that the goals want.\n"
    "\n"
    "Without an argument the game plays in a window; with any argument in\n"
    "full screen (Alt+Enter switches at any time).\n"
    "\n"
    "It reads its data from the folder it is started in (levels/, styles/,\n"
    "textures/, the fonts) and writes there too: highscores.list, playerinfo/,\n"
    "recordings/ and userlevels/.\n"
    "\n"
    "  --help     this text\n"
    "  --version  the version\n";

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("slivermere " SLIVERMERE_VERSION);
        return 0;
    }
    // Diagnostics are single lines; keep them in order with the error stream when piped.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Only SDL's X11 driver gives an OpenGL window; without this, a missing
    // display sends SDL into its text-mode drivers, which paint the terminal
    // before failing anyway.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    return run_game(argc, argv);
}
