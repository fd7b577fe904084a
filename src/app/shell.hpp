#pragma once

#include <functional>

#include <SDL/SDL.h>

#include "world/frame_limits.hpp"

// The process entry: SDL, the window, the frame loop. Returns the exit code.
int run_game(int argc, char** argv);

// Everything before the first frame: SDL, the scores, the window, the
// fallback font, the opening menu over its demo, the GL state. Ends the
// program when the game cannot start.
void start_game(int argc);

// Leaves full screen if need be, then ends the process through exit(), so that
// the functions registered with atexit run.
[[noreturn]] void quit_program(int code);

// The projection every screen draws in and the blending it expects. Called at
// start and after every mode change.
void gl_setup();

// Opens the 1023x768 window, trying 16, 8, 4, 2 and finally 1 sample. Ends the
// program with code 1 when even the plain mode fails. A renderer that draws
// on the processor goes straight to the plain mode.
void open_video(bool full_screen);

// The window as the command line asks: any argument means full screen;
// without one the window grabs the input and hides the cursor.
void start_video(int argc);

// Waits until at least 15 ms have passed since `last`, advances `last` by the
// whole elapsed time and returns the frame's milliseconds, capped at 33 so
// that a stall never becomes one huge simulation step.
unsigned int wait_for_frame(Uint32& last, const std::function<Uint32()>& ticks,
                            const std::function<void(Uint32)>& delay);


// Hands every pending event to the current screen, after the shell's own
// shortcuts (Alt+Enter, Alt+Escape, Alt+F4) and without wheel presses. A
// quit request (close button, SIGTERM, SIGINT) ends the program like Alt+F4.
void event_pass(unsigned int frame_ms);

bool is_full_screen();
