#include "storage/level_files.hpp"

#include <cstddef>
#include <filesystem>

namespace {

constexpr std::size_t max_level_name_bytes = 60;
constexpr const char* recovery_suffix = ".recovery.lev";

}  // namespace

std::string user_level_file(const std::string& name)
{
    return "userlevels/" + name + ".lev";
}

std::string recovery_file(const std::string& level_file)
{
    std::string name = std::filesystem::path(level_file).filename().string();
    if (name.ends_with(".lev"))
        name.resize(name.size() - 4);
    return "userlevels/" + name + recovery_suffix;
}

bool is_recovery_file(const std::string& file_name)
{
    return file_name.ends_with(recovery_suffix);
}

bool is_level_name(const std::string& name)
{
    if (name.empty() || name.size() > max_level_name_bytes || name.front() == ' ' || name.back() == ' ')
        return false;
    for (const char c : name) {
        const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (!letter && c != ' ' && c != '-' && c != '_')
            return false;
    }
    return true;
}
