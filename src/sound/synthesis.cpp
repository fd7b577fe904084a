#include "sound/synthesis.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <numbers>
#include <vector>

namespace {

using Wave = std::vector<double>;

// A small generator of its own, so that no library's rand changes a sound.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : state_(seed | 1u) {}
    // Uniform in [-1, 1).
    double next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_ / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t state_;
};

Wave silence(double seconds)
{
    return Wave(static_cast<std::size_t>(seconds * sound_rate), 0.0);
}

// A tone that starts at `start` seconds, rises in 3 ms and dies away with the
// time constant `decay`; `glide` bends its pitch by that factor per second.
void add_tone(Wave& w, double start, double freq, double amp, double decay, double glide = 1.0)
{
    double phase = 0;
    for (std::size_t i = static_cast<std::size_t>(start * sound_rate); i < w.size(); ++i) {
        const double t = static_cast<double>(i) / sound_rate - start;
        const double attack = std::min(t / 0.003, 1.0);
        w[i] += amp * attack * std::exp(-t / decay) * std::sin(phase);
        phase += 2 * std::numbers::pi * freq * std::pow(glide, t) / sound_rate;
    }
}

// Noise from `start`, dying away with `decay`, through a one-pole low-pass
// (`low` near 1 is dark) and, with `high` above 0, a high-pass that thins it.
void add_noise(Wave& w, std::uint32_t seed, double start, double amp, double decay, double low, double high = 0)
{
    Noise noise(seed);
    double lp = 0;
    double slow = 0;
    for (std::size_t i = static_cast<std::size_t>(start * sound_rate); i < w.size(); ++i) {
        const double t = static_cast<double>(i) / sound_rate - start;
        lp = low * lp + (1 - low) * noise.next();
        slow = high * slow + (1 - high) * lp;
        const double attack = std::min(t / 0.002, 1.0);
        w[i] += amp * attack * std::exp(-t / decay) * (high > 0 ? lp - slow : lp);
    }
}

// Scales to the common peak, fades the last 5 ms so nothing clicks, rounds
// to 16 bits.
SoundClip finish(Wave w)
{
    const std::size_t fade = std::min<std::size_t>(w.size(), sound_rate / 200);
    for (std::size_t i = 0; i < fade; ++i)
        w[w.size() - 1 - i] *= static_cast<double>(i) / fade;
    double peak = 0;
    for (double v : w)
        peak = std::max(peak, std::abs(v));
    SoundClip clip;
    clip.samples.reserve(w.size());
    for (double v : w)
        clip.samples.push_back(static_cast<std::int16_t>(std::lround(peak > 0 ? v / peak * effect_peak * 32767 : 0)));
    return clip;
}

// A blade meeting a material: `bite` scales how hard (leaving is lighter),
// `seed` keeps each sound's grain its own.
Wave material_hit(Material material, double bite, std::uint32_t seed)
{
    switch (material) {
    case Material::wood: {
        Wave w = silence(0.18);
        add_tone(w, 0, 190 * bite, 0.8, 0.045);
        add_tone(w, 0, 410 * bite, 0.35, 0.03);
        add_noise(w, seed, 0, 0.5, 0.02, 0.6);
        return w;
    }
    case Material::stone: {
        Wave w = silence(0.25);
        add_noise(w, seed, 0, 1.0, 0.06, 0.8);
        add_noise(w, seed + 1, 0.015, 0.5, 0.04, 0.3, 0.9);
        add_tone(w, 0, 95 * bite, 0.4, 0.05);
        return w;
    }
    case Material::ice: {
        Wave w = silence(0.2);
        add_noise(w, seed, 0, 0.7, 0.03, 0.1, 0.95);
        add_tone(w, 0, 2600 * bite, 0.3, 0.04);
        add_tone(w, 0.01, 3900 * bite, 0.2, 0.03);
        return w;
    }
    case Material::metal: {
        Wave w = silence(0.7);
        add_tone(w, 0, 523 * bite, 0.6, 0.25);
        add_tone(w, 0, 1371 * bite, 0.4, 0.18);
        add_tone(w, 0, 2287 * bite, 0.25, 0.12);
        add_noise(w, seed, 0, 0.4, 0.01, 0.2, 0.9);
        return w;
    }
    case Material::glass: {
        Wave w = silence(0.55);
        add_tone(w, 0, 1760 * bite, 0.5, 0.15);
        add_tone(w, 0, 3340 * bite, 0.35, 0.1);
        add_tone(w, 0.004, 5210 * bite, 0.25, 0.07);
        add_noise(w, seed, 0, 0.3, 0.008, 0.1, 0.9);
        return w;
    }
    case Material::other:
        break;
    }
    Wave w = silence(0.16);
    add_tone(w, 0, 300 * bite, 0.6, 0.035);
    add_noise(w, seed, 0, 0.6, 0.025, 0.5);
    return w;
}

// The swing's loop: airy noise whose last 50 ms fade into its start, so it
// repeats without a seam.
Wave swing_loop()
{
    Wave w = silence(0.55);
    Noise noise(77);
    double lp = 0;
    double slow = 0;
    for (double& v : w) {
        lp = 0.75 * lp + 0.25 * noise.next();
        slow = 0.97 * slow + 0.03 * lp;
        v = lp - slow;
    }
    const std::size_t overlap = sound_rate / 20;
    const std::size_t length = w.size() - overlap;
    for (std::size_t i = 0; i < overlap; ++i) {
        const double a = static_cast<double>(i) / overlap;
        w[i] = a * w[i] + (1 - a) * w[length + i];
    }
    w.resize(length);
    return w;
}

}  // namespace

SoundClip synthesize(Effect effect)
{
    const auto seed = static_cast<std::uint32_t>(1000 + 17 * static_cast<int>(effect));
    const int index = static_cast<int>(effect);
    if (effect == Effect::swing) {
        // The loop may not fade at its end; it is scaled alone.
        Wave w = swing_loop();
        double peak = 0;
        for (double v : w)
            peak = std::max(peak, std::abs(v));
        SoundClip clip;
        for (double v : w)
            clip.samples.push_back(static_cast<std::int16_t>(std::lround(v / peak * effect_peak * 32767)));
        return clip;
    }
    if (effect >= Effect::enter_wood && effect <= Effect::enter_default)
        return finish(material_hit(static_cast<Material>(index - static_cast<int>(Effect::enter_wood)), 1.0, seed));
    if (effect >= Effect::leave_wood && effect <= Effect::leave_default)
        return finish(material_hit(static_cast<Material>(index - static_cast<int>(Effect::leave_wood)), 1.25, seed));

    Wave w;
    switch (effect) {
    case Effect::split:
        // A crack and the thump of the pieces coming apart.
        w = silence(0.35);
        add_noise(w, seed, 0, 1.0, 0.015, 0.2);
        add_noise(w, seed + 1, 0.01, 0.6, 0.08, 0.85);
        add_tone(w, 0, 120, 0.7, 0.09, 0.5);
        break;
    case Effect::knock:
        w = silence(0.22);
        add_tone(w, 0, 85, 1.0, 0.06, 0.7);
        add_tone(w, 0, 170, 0.3, 0.03);
        add_noise(w, seed, 0, 0.4, 0.012, 0.7);
        break;
    case Effect::goal:
        // Two bells a fifth apart.
        w = silence(0.9);
        add_tone(w, 0, 880, 0.6, 0.25);
        add_tone(w, 0.07, 1320, 0.5, 0.3);
        add_tone(w, 0.07, 2640, 0.1, 0.1);
        break;
    case Effect::losing_goal:
        w = silence(0.6);
        for (int h = 1; h <= 7; h += 2)
            add_tone(w, 0, 110.0 * h, 0.6 / h, 0.2, 0.85);
        break;
    case Effect::win: {
        // A rising major arpeggio that rings on.
        w = silence(1.6);
        const double notes[] = {523.25, 659.25, 783.99, 1046.5};
        for (int i = 0; i < 4; ++i) {
            add_tone(w, 0.11 * i, notes[i], 0.5, i == 3 ? 0.5 : 0.25);
            add_tone(w, 0.11 * i, 2 * notes[i], 0.12, 0.12);
        }
        break;
    }
    case Effect::lose: {
        w = silence(1.3);
        const double notes[] = {392.0, 329.63, 261.63};
        for (int i = 0; i < 3; ++i)
            add_tone(w, 0.2 * i, notes[i], 0.5, i == 2 ? 0.4 : 0.18, i == 2 ? 0.9 : 1.0);
        break;
    }
    case Effect::time_out:
        w = silence(1.1);
        for (int h = 1; h <= 5; h += 2) {
            add_tone(w, 0, 220.0 * h, 0.5 / h, 0.2);
            add_tone(w, 0.3, 165.0 * h, 0.5 / h, 0.35);
        }
        break;
    case Effect::countdown:
        w = silence(0.09);
        add_tone(w, 0, 1250, 0.8, 0.02);
        add_noise(w, seed, 0, 0.2, 0.004, 0.1);
        break;
    case Effect::menu_move:
        w = silence(0.06);
        add_tone(w, 0, 660, 0.5, 0.015);
        break;
    case Effect::menu_activate:
        w = silence(0.16);
        add_tone(w, 0, 880, 0.5, 0.03);
        add_tone(w, 0.05, 1320, 0.5, 0.04);
        break;
    default:
        w = silence(0.05);
        break;
    }
    return finish(std::move(w));
}

bool make_game_sounds(const std::string& folder)
{
    std::error_code error;
    std::filesystem::create_directories(folder + "/sounds", error);
    if (error)
        return false;
    for (int i = 0; i < effect_count; ++i) {
        const auto effect = static_cast<Effect>(i);
        if (!save_clip(folder + "/" + effect_path(effect), synthesize(effect)))
            return false;
    }
    return true;
}
