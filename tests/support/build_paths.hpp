#pragma once

// Where the build put things, as absolute paths. They are defined in one file
// that the build writes, not on every test's command line, so that a compiler
// cache serves the tests of any clone of the tree.
extern const char source_dir[];   // the source tree
extern const char build_dir[];    // the build folder of these tests
extern const char game_dir[];     // the game folder laid out in it
extern const char game_binary[];  // the game
extern const char tool_binary[];  // slivermere-tool
