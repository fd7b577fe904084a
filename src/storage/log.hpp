#pragma once

#include <ostream>

// Every diagnostic line of the game goes through one of these two streams, so
// that tools can mute them and tests can read them. By default they are the
// process's standard output and standard error.
std::ostream& log_out();
std::ostream& log_err();

// Redirects the streams; a null pointer mutes that stream. Returns nothing:
// callers that want the old setting call restore_log_streams().
void set_log_streams(std::ostream* out, std::ostream* err);
void restore_log_streams();
