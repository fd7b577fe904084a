#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Every effect is mono, 16-bit, at this rate; the mixer plays them as they are.
constexpr int sound_rate = 22050;
// No effect lasts longer: a longer one in a file is a sign of damage.
constexpr std::size_t max_clip_samples = 2 * sound_rate;

struct SoundClip {
    std::vector<std::int16_t> samples;
};

// A sound file: the storage magic number, the rate, the sample count and the
// samples, little-endian.
bool save_clip(const std::string& path, const SoundClip& clip);
// False, with the reason, when the file is missing or damaged.
bool load_clip(const std::string& path, SoundClip& clip, std::string& reason);
