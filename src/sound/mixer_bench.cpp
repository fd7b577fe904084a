#include "sound/mixer_bench.hpp"

#include <algorithm>
#include <array>
#include <cstdint>
#include <ctime>
#include <vector>

#include "sound/mixer.hpp"
#include "sound/synthesis.hpp"

namespace {

double thread_seconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double nearest_rank(std::vector<double>& samples, double fraction)
{
    const auto rank = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1));
    std::nth_element(samples.begin(), samples.begin() + static_cast<std::ptrdiff_t>(rank), samples.end());
    return samples[rank];
}

}  // namespace

MixerBenchResult bench_mixer(int frames)
{
    std::array<SoundClip, effect_count> clips;
    for (int i = 0; i < effect_count; ++i)
        clips[static_cast<std::size_t>(i)] = synthesize(static_cast<Effect>(i));
    Mixer mixer;
    mixer.set_volume(0.8f);
    MixerBenchResult result;
    result.frames = std::max(frames, 1);
    result.samples_per_frame = sound_rate * 16 / 1000;
    std::vector<std::int16_t> out(static_cast<std::size_t>(result.samples_per_frame));
    std::vector<double> times;
    times.reserve(static_cast<std::size_t>(result.frames));
    int next = 1;
    for (int frame = 0; frame < result.frames; ++frame) {
        const double start = thread_seconds();
        // What a busy step asks for: fill every voice, pitch the swing.
        while (mixer.playing() < mixer_voices) {
            next = next % (effect_count - 1) + 1;
            mixer.start(clips[static_cast<std::size_t>(next)], 0.9f, 0.8f + 0.05f * static_cast<float>(next % 8),
                        VoiceGroup::world);
        }
        mixer.set_loop(&clips[0], 0.4f, 0.6f + 0.001f * static_cast<float>(frame % 1000));
        mixer.mix(out.data(), result.samples_per_frame);
        times.push_back((thread_seconds() - start) * 1e6);
    }
    result.median_us = nearest_rank(times, 0.5);
    result.p99_us = nearest_rank(times, 0.99);
    return result;
}

void print_mixer_bench(std::ostream& out, const MixerBenchResult& r)
{
    out << "Sound mixer: " << mixer_voices << " voices and the swing, " << r.samples_per_frame
        << " samples a frame (16 ms), " << r.frames << " frames: median " << r.median_us << " µs, p99 " << r.p99_us
        << " µs of processor time a frame (budget 1000 µs)\n";
}
