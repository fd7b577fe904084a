#include "sound/mixer.hpp"

#include <algorithm>
#include <cmath>

namespace {

// Mixed in blocks this long on the stack, so the callback needs no heap.
constexpr int block = 256;
// The limiter comes back to full gain over about 100 ms.
constexpr float limiter_release = 0.0005f;

float sample_at(const SoundClip& clip, double position)
{
    const auto i = static_cast<std::size_t>(position);
    const float frac = static_cast<float>(position - static_cast<double>(i));
    const float a = clip.samples[i];
    const float b = i + 1 < clip.samples.size() ? clip.samples[i + 1] : 0.0f;
    return a + (b - a) * frac;
}

}  // namespace

float Mixer::loudness(const Voice& voice)
{
    const double left = 1.0 - voice.position / static_cast<double>(voice.clip->samples.size());
    return voice.gain * static_cast<float>(left);
}

bool Mixer::start(const SoundClip& clip, float gain, float pitch, VoiceGroup group)
{
    if (clip.samples.empty() || gain <= 0 || pitch <= 0)
        return false;
    Voice* chosen = nullptr;
    for (Voice& voice : voices_) {
        if (!voice.clip) {
            chosen = &voice;
            break;
        }
        if (!chosen || loudness(voice) < loudness(*chosen))
            chosen = &voice;
    }
    if (chosen->clip && loudness(*chosen) >= gain)
        return false;
    *chosen = Voice{&clip, 0.0, pitch, gain, false, group};
    return true;
}

void Mixer::set_loop(const SoundClip* clip, float gain, float pitch)
{
    if (clip != loop_clip_) {
        loop_clip_ = clip;
        loop_position_ = 0;
        loop_gain_ = 0;
    }
    loop_target_gain_ = clip ? gain : 0;
    loop_target_step_ = pitch;
}

void Mixer::stop(VoiceGroup group)
{
    for (Voice& voice : voices_)
        if (voice.clip && voice.group == group)
            voice.stopping = true;
    if (group == VoiceGroup::world)
        loop_target_gain_ = 0;
}

int Mixer::playing() const
{
    return static_cast<int>(std::count_if(voices_.begin(), voices_.end(), [](const Voice& v) { return v.clip; }));
}

void Mixer::mix(std::int16_t* out, int count)
{
    while (count > 0) {
        const int n = std::min(count, block);
        float sum[block] = {};

        for (Voice& voice : voices_) {
            if (!voice.clip)
                continue;
            const double end = static_cast<double>(voice.clip->samples.size());
            // A stopping voice fades over this one block instead of clicking off.
            const float fade = voice.stopping ? voice.gain / n : 0.0f;
            for (int i = 0; i < n && voice.position < end; ++i) {
                sum[i] += sample_at(*voice.clip, voice.position) * voice.gain;
                voice.position += voice.step;
                voice.gain -= fade;
            }
            if (voice.position >= end || voice.stopping)
                voice = Voice{};
        }

        // The swing glides to its new gain and pitch across the block.
        if (loop_clip_ && (loop_gain_ > 0 || loop_target_gain_ > 0)) {
            const double end = static_cast<double>(loop_clip_->samples.size());
            const float gain_step = (loop_target_gain_ - loop_gain_) / n;
            const float pitch_step = (loop_target_step_ - loop_step_) / n;
            for (int i = 0; i < n; ++i) {
                sum[i] += sample_at(*loop_clip_, loop_position_) * loop_gain_;
                loop_position_ += loop_step_;
                if (loop_position_ >= end)
                    loop_position_ -= end;
                loop_gain_ += gain_step;
                loop_step_ += pitch_step;
            }
            loop_gain_ = loop_target_gain_;
            loop_step_ = loop_target_step_;
        }

        // A limiter instead of clipping: it drops at once to what keeps the
        // loudest sample under the ceiling and recovers slowly.
        for (int i = 0; i < n; ++i) {
            const float s = sum[i] * volume_;
            const float magnitude = std::abs(s);
            if (magnitude * limiter_ > mixer_ceiling)
                limiter_ = mixer_ceiling / magnitude;
            out[i] = static_cast<std::int16_t>(std::lround(s * limiter_));
            limiter_ = std::min(1.0f, limiter_ + limiter_release);
        }
        out += n;
        count -= n;
    }
}
