#pragma once

#include <string>
#include <vector>

// A notice is one short line that tells the player something failed (a level
// that cannot be opened, a file that could not be written). It shows over
// whatever screen is current, menu, game or editor, for a few seconds and
// then fades; the game goes on. The full reason still goes to the error
// stream where the failure happens: the player never reads that.
struct Notice {
    std::string text;
    double time_left = 0;  // seconds; the line fades over the last of them
};

constexpr double notice_seconds = 5.0;
constexpr double notice_fade_seconds = 1.0;
// More lines at once push out the oldest.
constexpr std::size_t max_notices = 3;

// Shows a line for notice_seconds. Posting a line that is still showing
// shows it again from the start, as the newest, instead of twice.
void post_notice(const std::string& text);

// The lines showing, oldest first.
const std::vector<Notice>& notices();
// Drops every line (a test, or a fresh start).
void clear_notices();

// The shell calls these once a frame, after the current screen's own update
// and draw, so that the lines stay on top.
void advance_notices(double dt);
void draw_notices();

// 1 while a line is fresh, falling to 0 over its last notice_fade_seconds.
double notice_alpha(const Notice& notice);
