#include "progress/file_name.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "storage/game_folders.hpp"
#include "storage/log.hpp"

namespace {

void append_escape(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

// Before '%' was escaped too, "a/b" and "a%2Fb" shared a file name; player
// files of such names may still be under the old one.
std::string escaped_name(const std::string& name, bool escape_percent)
{
    std::string safe;
    if (name == "." || name == "..") {
        for (unsigned char byte : name)
            append_escape(safe, byte);
        return safe;
    }
    for (unsigned char byte : name) {
        if (byte == '/' || byte == '\\' || byte < 0x20 || byte == 0x7F || (escape_percent && byte == '%'))
            append_escape(safe, byte);
        else
            safe += static_cast<char>(byte);
    }
    return safe;
}

int hex_digit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string safe_file_name(const std::string& name)
{
    return escaped_name(name, true);
}

std::optional<std::string> name_from_safe_file_name(const std::string& safe)
{
    std::string name;
    for (std::size_t i = 0; i < safe.size(); ++i) {
        if (safe[i] != '%') {
            name += safe[i];
            continue;
        }
        const int high = i + 2 < safe.size() ? hex_digit(safe[i + 1]) : -1;
        const int low = high >= 0 ? hex_digit(safe[i + 2]) : -1;
        if (low < 0)
            return std::nullopt;
        name += static_cast<char>(high * 16 + low);
        i += 2;
    }
    // Only names that safe_file_name gives back: one file, one name.
    if (safe_file_name(name) != safe)
        return std::nullopt;
    return name;
}

bool name_fits_file_name(const std::string& name)
{
    return safe_file_name(name).size() <= max_safe_name_bytes;
}

std::string player_file_name(const std::string& name)
{
    return "playerinfo/" + safe_file_name(name) + ".player";
}

std::string old_player_file_name(const std::string& name)
{
    return "playerinfo/" + escaped_name(name, false) + ".player";
}

std::string keep_damaged_file(const std::string& name)
{
    const std::string path = game_path(name);
    std::error_code ignored;
    std::string aside = path + ".bad";
    for (int copy = 2; std::filesystem::exists(aside, ignored) && copy <= 1000; ++copy)
        aside = path + "." + std::to_string(copy) + ".bad";
    const bool taken = std::filesystem::exists(aside, ignored);
    if (taken || std::rename(path.c_str(), aside.c_str()) != 0) {
        const char* reason = taken ? "too many damaged copies" : std::strerror(errno);
        log_err() << "Cannot keep " << path << " aside as " << aside << ": " << reason << '\n';
        return "";
    }
    return aside;
}

void report_damaged_file(const std::string& what, const std::string& path, const std::string& instead)
{
    if (const std::string aside = keep_damaged_file(path); !aside.empty())
        log_err() << what << ' ' << path << " is damaged: " << instead << "; the file is kept as " << aside << '\n';
    else
        log_err() << what << ' ' << path << " is damaged: " << instead << '\n';
}
