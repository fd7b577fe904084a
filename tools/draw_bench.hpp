#pragma once

#include <string>
#include <vector>

// Opens the game's window and times drawing (to glFinish) of each level while
// the bench's sweep plays it, then of the menus and the editor; prints median
// and 99th percentile per scene, and its overdraw. Levels default to those of
// "levels/levels.list" and the built-in stress level. Returns the exit code.
// Plain: without the shortcuts of lean drawing, as on a graphics card, for
// comparison on the same machine. Shots: a folder where each scene's last
// frame is written as SCENE.png (empty: none), to hold pictures of two
// builds side by side. Per frame: a file where every timed frame is written
// as a line of comma-separated values (empty: none), to see which frames of
// a scene are dear and whether the drawing thread alone was busy.
int draw_bench(std::vector<std::string> levels, int frames, bool plain, const std::string& shots,
               const std::string& per_frame);
