#pragma once

#include <string>

class World;

// The level text: a whole level record as lines that people can read, write
// and compare. docs/level_format.md describes it.
//
// dump_level writes only what differs from the defaults and what the builder
// would compute by itself; build_level(dump_level(w)) gives a world that saves
// the same bytes as w.
std::string dump_level(const World& world);

// Replaces the level content of `out` (everything a level file holds) with
// the level the text describes and prepares it as loading a file would. On
// the first error returns false with `error` reading "line N: what is wrong"
// and leaves `out` untouched.
bool build_level(const std::string& text, World& out, std::string& error);
