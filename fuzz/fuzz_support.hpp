#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What the fuzz targets share. Every loader reads files by name, so each
// input is written to a scratch file first; the scratch folder lives in
// /dev/shm where there is one (storages fsync what they write) and goes away
// at exit. The game's own lines are muted unless SLIVERMERE_FUZZ_LOG is set.
//
// The targets run with the game folder as the working directory, so that
// polygon styles and the level list are found as in the game.

// Called once from LLVMFuzzerInitialize, which this support file defines
// for every target.
void start_fuzzing();

// A path in the scratch folder.
std::string scratch_path(const std::string& name);
void write_bytes(const std::string& path, const std::uint8_t* data, std::size_t size);
std::vector<unsigned char> read_bytes(const std::string& path);
// Removes the file and the ".bad" copies that loaders keep of damaged files.
void remove_with_bad_copies(const std::string& path);

// A broken property: says which and aborts, so that libFuzzer keeps the input.
[[noreturn]] void finding(const char* what, const char* file, int line);

#define FUZZ_CHECK(condition)                                \
    do {                                                     \
        if (!(condition))                                    \
            finding(#condition, __FILE__, __LINE__);         \
    } while (false)
