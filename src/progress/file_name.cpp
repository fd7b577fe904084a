#include "progress/file_name.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "app/log.hpp"

namespace {

void append_escape(std::string& out, unsigned char byte)
{
    static const char digits[] = "0123456789ABCDEF";
    out += '%';
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

}  // namespace

std::string safe_file_name(const std::string& name)
{
    std::string safe;
    if (name == "." || name == "..") {
        for (unsigned char byte : name)
            append_escape(safe, byte);
        return safe;
    }
    for (unsigned char byte : name) {
        if (byte == '/' || byte == '\\' || byte < 0x20 || byte == 0x7F)
            append_escape(safe, byte);
        else
            safe += static_cast<char>(byte);
    }
    return safe;
}

std::string player_file_name(const std::string& name)
{
    return "playerinfo/" + safe_file_name(name) + ".player";
}

std::string keep_damaged_file(const std::string& path)
{
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
