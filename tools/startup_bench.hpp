#pragma once

// Start-up time: the tool runs itself `runs` times as a child that starts
// the game exactly as the game does and draws its first frame; the time from
// launching the child to that frame being finished is measured from here.
int startup_bench(int runs);

// The child's side: start the game, draw and finish one frame, print the
// monotonic clock in nanoseconds and leave without the game's exit work.
[[noreturn]] void startup_child();
