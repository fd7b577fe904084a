#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

#include <pwd.h>
#include <unistd.h>

#include "app/shell.hpp"
#include "storage/game_folders.hpp"
#include "storage/log.hpp"

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
    "  --help     this text\n"
    "  --version  the version\n"
    "\n"
    "Installed, the game reads its data (levels/, styles/, textures/, the fonts)\n"
    "from " SLIVERMERE_DATA_FROM_PROGRAM " (relative to the program) and keeps the player's files\n"
    "(highscores.list, playerinfo/, recordings/, userlevels/) in\n"
    "$XDG_DATA_HOME/slivermere, by default ~/.local/share/slivermere. Started\n"
    "from its build folder (build/game, as scripts/play does), it reads and\n"
    "writes all of them in the folder it is started in.\n"
    "\n";

const char* home_folder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    const passwd* user = getpwuid(getuid());
    return user ? user->pw_dir : nullptr;
}

std::optional<GameFolders> installed_folders()
{
    return installed_game_folders("/proc/self/exe", SLIVERMERE_DATA_FROM_PROGRAM, std::getenv("XDG_DATA_HOME"),
                                  home_folder());
}

void print_folders(const std::optional<GameFolders>& folders)
{
    if (folders)
        std::printf("This copy reads its data from %s\nand keeps the player's files in %s\n", folders->data.c_str(),
                    folders->player.empty() ? "(no home folder known)" : folders->player.c_str());
    else
        std::puts("This copy is not installed: it uses the folder it is started in.");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(usage, stdout);
        print_folders(installed_folders());
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::puts("slivermere " SLIVERMERE_VERSION);
        return 0;
    }
    // Diagnostics are single lines; keep them in order with the error stream when piped.
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    if (const std::optional<GameFolders> folders = installed_folders()) {
        std::string why = "no home folder is known (set HOME or XDG_DATA_HOME)";
        if (folders->player.empty() || !make_player_folder(folders->player, why)) {
            log_err() << "Cannot keep the player's files: " << why << '\n';
            return 1;
        }
        log_out() << "Data from " << folders->data << ", the player's files in " << folders->player << '\n';
        set_game_folders(*folders);
    }
    // Only SDL's X11 driver gives an OpenGL window; without this, a missing
    // display sends SDL into its text-mode drivers, which paint the terminal
    // before failing anyway.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    return run_game(argc, argv);
}
