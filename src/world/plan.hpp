#pragma once

#include <istream>
#include <string>

#include "world/runner.hpp"

// A plan is how a designer writes a winning game: where the sword goes and
// how fast, in level coordinates, rather than mouse motion frame by frame.
// Playing it on the level turns it into an input script for `run`: each
// frame's motion is worked out from where the sword really is, so drag
// inside a body or a bounce off a tough one does not throw the rest off.
//
// One command a line; '#' starts a comment:
//
//   to X Y [SPEED]   a straight stroke to (X, Y) at SPEED units a second
//                    (default 3), starting where the sword is
//   hold N           N frames keeping the sword where the last stroke ended
//   wait N           N frames without touching the mouse
//   down, up         press or release the button (the blunt push) with the
//                    next frame
//   until [N]        frames without input until the game is won or lost, at
//                    most N (default 1500)
//
// Every frame is 16 ms. The script ends at the frame that wins or loses.
struct PlanResult {
    std::string script;  // the input script, "# expect: LINE" first
    RunResult result;
};

// False with `error` ("line N: what is wrong", or why the level cannot be
// opened or the script does not play back the same) on failure.
bool play_plan(const std::string& level_file, std::istream& plan, const std::string& title, PlanResult& out,
               std::string& error);
