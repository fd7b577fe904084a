#pragma once

#include <ostream>

struct MixerBenchResult {
    int frames = 0;
    int samples_per_frame = 0;
    double median_us = 0;
    double p99_us = 0;
};

// Processor time of the mixer for a frame of 16 ms of sound with every voice
// busy and the swing playing, voices restarted as they end.
MixerBenchResult bench_mixer(int frames);
void print_mixer_bench(std::ostream& out, const MixerBenchResult& result);
