#include "sound/sound_settings.hpp"

#include <cstdio>
#include <fstream>
#include <sstream>

#include <unistd.h>

namespace {

bool parse(std::istream& in, SoundSettings& settings, std::string& reason)
{
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        line = line.substr(0, line.find('#'));
        std::istringstream words(line);
        std::string key, value, extra;
        if (!(words >> key))
            continue;
        const std::string where = "line " + std::to_string(number) + ": ";
        if (!(words >> value) || (words >> extra)) {
            reason = where + "expected a name and one value";
            return false;
        }
        if (key == "volume") {
            std::size_t used = 0;
            int volume = -1;
            try {
                volume = std::stoi(value, &used);
            } catch (...) {
                used = 0;
            }
            if (used != value.size() || volume < 0 || volume > 100) {
                reason = where + "volume must be 0 to 100";
                return false;
            }
            settings.volume = volume;
        } else if (key == "muted") {
            if (value != "yes" && value != "no") {
                reason = where + "muted must be yes or no";
                return false;
            }
            settings.muted = value == "yes";
        } else {
            reason = where + "unknown setting '" + key + "'";
            return false;
        }
    }
    if (in.bad()) {
        reason = "it cannot be read";
        return false;
    }
    return true;
}

}  // namespace

bool load_sound_settings(const std::string& path, SoundSettings& settings, std::string& reason)
{
    settings = SoundSettings{};
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open())
        return true;
    SoundSettings read;
    if (!parse(in, read, reason))
        return false;
    settings = read;
    return true;
}

bool save_sound_settings(const std::string& path, const SoundSettings& settings)
{
    // Written beside the file and renamed over it, so a crash keeps the old one.
    const std::string temp = path + ".tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    if (!file)
        return false;
    const int written = std::fprintf(file, "# Slivermere's sound: volume 0 to 100, muted yes or no ('M' in the game)\n"
                                           "volume %d\nmuted %s\n",
                                     settings.volume, settings.muted ? "yes" : "no");
    const bool synced = std::fflush(file) == 0 && fsync(fileno(file)) == 0;
    const bool closed = std::fclose(file) == 0;
    if (written < 0 || !synced || !closed || std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        return false;
    }
    return true;
}
