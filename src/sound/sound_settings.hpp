#pragma once

#include <string>

// The player's sound choices, kept in a small text file in the game folder:
//
//   volume 80
//   muted no
//
// '#' starts a comment; either line may be missing.
struct SoundSettings {
    bool muted = false;
    int volume = 80;  // percent
};

constexpr const char* sound_settings_file = "settings.txt";

// A missing file gives the defaults and true. A damaged one gives the
// defaults, false and the reason ("line 2: volume must be 0 to 100").
bool load_sound_settings(const std::string& path, SoundSettings& settings, std::string& reason);
// Replaces the file atomically; false when it could not be written.
bool save_sound_settings(const std::string& path, const SoundSettings& settings);
