#include <cstdio>

#include "app/shell.hpp"

int main(int argc, char** argv)
{
    // Diagnostics are single lines; keep them in order with the error stream when piped.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return run_game(argc, argv);
}
