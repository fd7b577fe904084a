#pragma once

#include <string>

// The playback screen: a recording replayed under its control bar. A
// non-empty path opens that recording (paused at its start); an empty one
// reuses the playback that is current. Perfect Mode adds the take-over button.
// False when the recording was refused: the current screen then stays, the
// reason is on the error stream and a notice tells the player.
bool build_playback_screen(const std::string& recording_path, bool perfect_mode);

// A recording as the lists show it: its file name without the folder and
// without ".rec".
std::string recording_title(const std::string& path);
