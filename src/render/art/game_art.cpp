#include "render/art/game_art.hpp"

#include <filesystem>
#include <system_error>

#include "render/art/icons.hpp"
#include "render/art/materials.hpp"
#include "render/art/sword_art.hpp"
#include "render/png.hpp"
#include "storage/log.hpp"

std::vector<ArtFile> draw_game_art()
{
    std::vector<ArtFile> art;
    for (PolygonStyleArt& style : draw_polygon_styles()) {
        const std::string folder = "styles/polygon/" + style.name + "/";
        art.push_back({folder + "main.png", std::move(style.main)});
        art.push_back({folder + "edge.png", std::move(style.edge)});
        art.push_back({folder + "cut.png", std::move(style.cut)});
        art.push_back({folder + "light.png", std::move(style.light)});
    }
    SwordArt sword = draw_sword_art();
    art.push_back({"styles/sword/default/sword.png", std::move(sword.blade)});
    art.push_back({"styles/sword/default/tail.png", std::move(sword.tail)});
    art.push_back({"textures/basic_particle.png", draw_particle()});
    for (NamedPicture& picture : draw_menu_pictures())
        art.push_back({"textures/" + picture.name + ".png", std::move(picture.picture)});
    return art;
}

bool make_game_art(const std::string& out_dir)
{
    for (const ArtFile& file : draw_game_art()) {
        const std::filesystem::path path = std::filesystem::path(out_dir) / file.path;
        std::error_code error;
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) {
            log_err() << "Cannot make the folder " << path.parent_path().string() << ": " << error.message() << '\n';
            return false;
        }
        if (!save_png(path.string(), file.picture.width(), file.picture.height(), to_rgba8(file.picture)))
            return false;
    }
    return true;
}
