// Sound effect files. A file is refused with a reason, or it loads into a
// clip of a length the game plays that saves and loads back the same.
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "sound/sound_clip.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("input.snd");
    static const std::string output = scratch_path("output.snd");
    write_bytes(input, data, size);
    SoundClip clip;
    std::string reason;
    if (!load_clip(input, clip, reason)) {
        FUZZ_CHECK(!reason.empty());
        return 0;
    }
    FUZZ_CHECK(!clip.samples.empty() && clip.samples.size() <= max_clip_samples);
    FUZZ_CHECK(save_clip(output, clip));
    FUZZ_CHECK(read_bytes(output) == std::vector<unsigned char>(data, data + size));
    return 0;
}
