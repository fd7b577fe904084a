#include "app/picture_files.hpp"

#include <cstdlib>
#include <memory>
#include <vector>

#include <SDL/SDL.h>

#include "app/shell.hpp"
#include "render/files.hpp"
#include "render/gl_context.hpp"
#include "render/png.hpp"
#include "world/level_list.hpp"
#include "world/level_picture.hpp"
#include "world/level_sheet.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

bool open_picture_window(std::string& error)
{
    // Elsewhere every polygon would come out blank and every text missing.
    if (!file_exists("default.txf") || !file_exists("styles/polygon/default/info")) {
        error = "the game's fonts and styles are not here: run it in the game folder (build/game)";
        return false;
    }
    if (gl_ready())
        return true;
    // Only SDL's X11 driver gives an OpenGL window.
    setenv("SDL_VIDEODRIVER", "x11", 0);
    if (SDL_Init(SDL_INIT_VIDEO) == -1) {
        error = std::string("no display: ") + SDL_GetError();
        return false;
    }
    std::atexit(SDL_Quit);
    open_video(false);
    gl_setup();
    return true;
}

bool write_level_picture(const std::string& level_file, const std::string& png_file, int width, std::string& error)
{
    if (!open_picture_window(error))
        return false;
    std::unique_ptr<World> world = load_level_quietly(level_file, error);
    if (!world)
        return false;
    LevelPicture picture;
    if (!draw_level_picture(*world, width, picture, error)) {
        error = level_file + ": " + error;
        return false;
    }
    if (!save_png(png_file, picture.width, picture.height, picture.rgba)) {
        error = "cannot write " + png_file;
        return false;
    }
    return true;
}

bool write_level_sheet(const std::string& list_file, const std::string& png_file, int screen_width,
                       std::string& error)
{
    if (!open_picture_window(error))
        return false;
    std::vector<std::unique_ptr<World>> worlds;
    std::vector<SheetEntry> entries;
    for (const std::string& name : read_level_list(list_file)) {
        if (name == "---" || name.empty())
            continue;
        worlds.push_back(load_level_quietly(level_file_name(name), error));
        if (!worlds.back())
            return false;
        entries.push_back({name, worlds.back().get()});
    }
    if (entries.empty()) {
        error = "no level is listed in " + list_file;
        return false;
    }
    LevelPicture sheet;
    if (!draw_level_sheet(entries, screen_width, sheet, error))
        return false;
    if (!save_png(png_file, sheet.width, sheet.height, sheet.rgba)) {
        error = "cannot write " + png_file;
        return false;
    }
    return true;
}
