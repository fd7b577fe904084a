#include "render/files.hpp"

#include <cstdio>

#include <dirent.h>
#include <sys/stat.h>

#include "storage/game_folders.hpp"

std::vector<std::string> list_directory(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = opendir(game_path(folder).c_str());
    if (!dir)
        return names;
    while (const dirent* entry = readdir(dir))
        names.emplace_back(entry->d_name);
    closedir(dir);
    return names;
}

bool file_exists(const std::string& path)
{
    std::FILE* file = std::fopen(game_path(path).c_str(), "rb");
    if (!file)
        return false;
    // POSIX opens a folder for reading too; the game's callers mean a file.
    struct stat status;
    const bool is_folder = fstat(fileno(file), &status) == 0 && S_ISDIR(status.st_mode);
    std::fclose(file);
    return !is_folder;
}
