#include <cstdio>
#include <cstdlib>

#include "app/shell.hpp"

int main(int argc, char** argv)
{
    // Diagnostics are single lines; keep them in order with the error stream when piped.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    // Only SDL's X11 driver gives an OpenGL window; without this, a missing
    // display sends SDL into its text-mode drivers, which paint the terminal
    // before failing anyway.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    return run_game(argc, argv);
}
