// Runs a fuzz target once on every file named, or on every file below the
// folders named, without libFuzzer: the sanitizer build's tests replay the
// seeds and past findings through the same targets this way.
//
//   TARGET_replay FILE_OR_FOLDER...
//
// A broken property or a sanitizer report ends the run; the file that caused
// it is the last one named on the error stream.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.hpp"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace fs = std::filesystem;

int main(int argc, char** argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        std::error_code error;
        if (fs::is_directory(argv[i], error)) {
            for (const auto& entry : fs::recursive_directory_iterator(argv[i], error))
                if (entry.is_regular_file())
                    inputs.push_back(entry.path());
        } else if (fs::is_regular_file(argv[i], error)) {
            inputs.emplace_back(argv[i]);
        }
        if (error) {
            std::fprintf(stderr, "replay: cannot read %s: %s\n", argv[i], error.message().c_str());
            return 2;
        }
    }
    // A run that finds nothing to replay checks nothing.
    if (inputs.empty()) {
        std::fprintf(stderr, "replay: no inputs in the files or folders named\n");
        return 2;
    }
    std::sort(inputs.begin(), inputs.end());

    LLVMFuzzerInitialize(&argc, &argv);
    for (const fs::path& input : inputs) {
        std::fprintf(stderr, "replay: %s\n", input.c_str());
        const std::vector<unsigned char> bytes = read_bytes(input.string());
        // A buffer of exactly the input's size, as libFuzzer gives, so that a
        // read past its end is caught.
        const std::unique_ptr<std::uint8_t[]> data(new std::uint8_t[bytes.size()]);
        std::copy(bytes.begin(), bytes.end(), data.get());
        LLVMFuzzerTestOneInput(data.get(), bytes.size());
    }
    std::printf("replay: %zu inputs, every property held\n", inputs.size());
    return 0;
}
