#include "storage/game_folders.hpp"

#include <filesystem>
#include <system_error>
#include <utility>

namespace fs = std::filesystem;

namespace {

GameFolders folders;

std::string under(const std::string& folder, const std::string& name)
{
    return folder.empty() ? name : (fs::path(folder) / name).string();
}

}  // namespace

void set_game_folders(GameFolders new_folders)
{
    folders = std::move(new_folders);
}

bool is_shipped_name(const std::string& name)
{
    if (name.find('/') == std::string::npos)
        return name == "opening.rec" || (name.size() > 4 && name.ends_with(".txf"));
    for (const char* folder : {"levels/", "sounds/", "styles/", "textures/"})
        if (name.starts_with(folder))
            return true;
    return false;
}

std::string game_path(const std::string& name)
{
    if (name.starts_with('/'))
        return name;
    return under(is_shipped_name(name) ? folders.data : folders.player, name);
}

std::optional<GameFolders> installed_game_folders(const std::string& program, const std::string& data_from_program,
                                                  const char* xdg_data_home, const char* home)
{
    std::error_code error;
    const fs::path program_path = fs::canonical(program, error);
    if (error || data_from_program.empty())
        return std::nullopt;
    const fs::path data = (program_path.parent_path() / data_from_program).lexically_normal();
    if (!fs::is_regular_file(data / "levels" / "levels.list", error))
        return std::nullopt;
    // XDG's base directory rules ignore a relative $XDG_DATA_HOME.
    fs::path base;
    if (xdg_data_home && fs::path(xdg_data_home).is_absolute())
        base = xdg_data_home;
    else if (home && fs::path(home).is_absolute())
        base = fs::path(home) / ".local" / "share";
    else
        return GameFolders{data.string(), ""};
    return GameFolders{data.string(), (base / "slivermere").lexically_normal().string()};
}

bool make_player_folder(const std::string& folder, std::string& why)
{
    for (const char* sub : {"", "playerinfo", "recordings", "userlevels"}) {
        const fs::path path = fs::path(folder) / sub;
        std::error_code error, ignored;
        fs::create_directories(path, error);
        if (!fs::is_directory(path, ignored)) {
            why = "cannot create " + path.string() + (error ? ": " + error.message() : std::string());
            return false;
        }
    }
    return true;
}
