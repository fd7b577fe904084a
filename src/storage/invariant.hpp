#pragma once

// A broken invariant is a bug in the game, never a state to play on from:
// INVARIANT prints one line naming the file, the line and the condition on the
// error stream and aborts, so that a debugger or a core dump still catches it.
// Unlike assert it stays on in every build, the one players run included.
// Data read from a file is no invariant: loaders refuse it instead. Paths run
// per point or per pixel many times a frame keep a debug-only assert, since
// even a cold call there can stop the compiler inlining them.
#define INVARIANT(condition) \
    (__builtin_expect(static_cast<bool>(condition), true) ? void(0) \
                                                          : invariant_broken(__FILE__, __LINE__, #condition))

[[noreturn, gnu::cold]] void invariant_broken(const char* file, int line, const char* condition);
