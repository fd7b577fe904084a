#pragma once

#include <array>
#include <cstdint>

#include "sound/sound_clip.hpp"

// Voices the mixer plays at once; one more holds the sword's swing.
constexpr int mixer_voices = 12;
// The output never goes beyond this: the limiter turns the sum down first.
constexpr int mixer_ceiling = 32000;

// Sounds that stop together: the game's own when it pauses or seeks, the
// menus' never.
enum class VoiceGroup { world, menu };

// Adds the playing clips into 16-bit mono output. It allocates nothing and
// takes no lock of its own: the audio callback calls mix() with SDL's audio
// lock held, and the game changes voices under the same lock.
class Mixer {
public:
    // Starts a clip at a gain (1: as made) and pitch (2: an octave up). When
    // every voice is busy the quietest gives way, unless the new clip would
    // be quieter still; false when it was dropped.
    bool start(const SoundClip& clip, float gain, float pitch, VoiceGroup group);
    // The looped swing: gain and pitch glide to these over the next mix.
    void set_loop(const SoundClip* clip, float gain, float pitch);
    // Fades out every voice of the group within a few milliseconds.
    void stop(VoiceGroup group);
    // 0 to 1, on top of every gain.
    void set_volume(float volume) { volume_ = volume; }
    void mix(std::int16_t* out, int count);

    int playing() const;
    // How far the limiter has turned the sum down (1: not at all).
    float limiter() const { return limiter_; }

private:
    struct Voice {
        const SoundClip* clip = nullptr;
        double position = 0;
        float step = 1;
        float gain = 0;
        bool stopping = false;
        VoiceGroup group = VoiceGroup::world;
    };
    // What is left of a voice to hear: its gain times the part not yet
    // played, since every effect dies away.
    static float loudness(const Voice& voice);

    std::array<Voice, mixer_voices> voices_{};
    const SoundClip* loop_clip_ = nullptr;
    double loop_position_ = 0;
    float loop_gain_ = 0;
    float loop_step_ = 1;
    float loop_target_gain_ = 0;
    float loop_target_step_ = 1;
    float volume_ = 1;
    float limiter_ = 1;
};
