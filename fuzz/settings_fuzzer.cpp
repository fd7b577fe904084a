// The sound settings file. A damaged file gives the defaults and a reason;
// one that loads holds values in range and writes a file that loads the same.
#include <cstdint>
#include <string>

#include "fuzz_support.hpp"
#include "sound/sound_settings.hpp"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("settings.txt");
    static const std::string output = scratch_path("written.txt");
    write_bytes(input, data, size);
    SoundSettings settings;
    std::string reason;
    if (!load_sound_settings(input, settings, reason)) {
        FUZZ_CHECK(!reason.empty());
        FUZZ_CHECK(!settings.muted && settings.volume == SoundSettings{}.volume);
        return 0;
    }
    FUZZ_CHECK(settings.volume >= 0 && settings.volume <= 100);
    FUZZ_CHECK(save_sound_settings(output, settings));
    SoundSettings again;
    FUZZ_CHECK(load_sound_settings(output, again, reason));
    FUZZ_CHECK(again.muted == settings.muted && again.volume == settings.volume);
    return 0;
}
