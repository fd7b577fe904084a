#pragma once

// The milliseconds a frame of play may take: the shell waits for at least the
// shortest, and a stall counts as no more than the longest, so that one huge
// step never throws the bodies through the walls. Scripted input keeps to the
// same range.
constexpr unsigned int min_frame_ms = 15;
constexpr unsigned int max_frame_ms = 33;
