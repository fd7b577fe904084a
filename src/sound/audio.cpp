#include "sound/audio.hpp"

#include <array>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

#include <SDL/SDL.h>

#include "sound/sound_settings.hpp"
#include "storage/game_folders.hpp"
#include "storage/log.hpp"

namespace {

// About 23 ms a buffer: short enough that a cut is heard with its frame.
constexpr Uint16 buffer_samples = 512;

struct AudioState {
    bool running = false;
    SoundSettings settings;
    std::array<SoundClip, effect_count> clips;
    Mixer mixer;
    bool swing_renewed = false;
};

AudioState audio;

void fill(void*, Uint8* stream, int length)
{
    audio.mixer.mix(reinterpret_cast<std::int16_t*>(stream), length / 2);
}

void apply_volume()
{
    SDL_LockAudio();
    audio.mixer.set_volume(audio.settings.muted ? 0.0f : audio.settings.volume / 100.0f);
    SDL_UnlockAudio();
}

// Sound libraries (ALSA) print their search for a card on the error stream;
// while the device is opened that goes nowhere, and the game says once
// itself whether it has sound.
class QuietErrorStream {
public:
    QuietErrorStream()
    {
        std::fflush(stderr);
        saved_ = dup(STDERR_FILENO);
        const int null = open("/dev/null", O_WRONLY);
        if (saved_ >= 0 && null >= 0)
            dup2(null, STDERR_FILENO);
        if (null >= 0)
            close(null);
    }
    ~QuietErrorStream()
    {
        std::fflush(stderr);
        if (saved_ >= 0) {
            dup2(saved_, STDERR_FILENO);
            close(saved_);
        }
    }
    QuietErrorStream(const QuietErrorStream&) = delete;
    QuietErrorStream& operator=(const QuietErrorStream&) = delete;

private:
    int saved_ = -1;
};

// Opens SDL's audio for the mixer; false with SDL's reason.
bool open_device(std::string& reason)
{
    QuietErrorStream quiet;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) == -1) {
        reason = SDL_GetError();
        return false;
    }
    SDL_AudioSpec wanted{};
    wanted.freq = sound_rate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = 1;
    wanted.samples = buffer_samples;
    wanted.callback = fill;
    // SDL converts to whatever the device takes.
    if (SDL_OpenAudio(&wanted, nullptr) == -1) {
        reason = SDL_GetError();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }
    return true;
}

bool load_effects(std::string& reason)
{
    for (int i = 0; i < effect_count; ++i) {
        const auto effect = static_cast<Effect>(i);
        std::string why;
        if (!load_clip(effect_path(effect), audio.clips[static_cast<std::size_t>(i)], why)) {
            reason = effect_path(effect) + ": " + why;
            return false;
        }
    }
    return true;
}

}  // namespace

void start_audio()
{
    if (audio.running)
        return;
    std::string reason;
    if (!load_sound_settings(game_path(sound_settings_file), audio.settings, reason))
        log_err() << "The settings file " << sound_settings_file << " is damaged (" << reason
                  << "); using the default volume" << '\n';

    if (!load_effects(reason)) {
        log_err() << "No sound: " << reason << "; the game runs silent" << '\n';
        return;
    }
    if (!open_device(reason)) {
        log_err() << "No sound device (" << reason << "); the game runs silent" << '\n';
        return;
    }
    audio.running = true;
    apply_volume();
    SDL_PauseAudio(0);
}

void stop_audio()
{
    if (!audio.running)
        return;
    audio.running = false;
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

bool audio_running()
{
    return audio.running;
}

void play_effect(Effect effect, float gain, float pitch, VoiceGroup group)
{
    if (!audio.running || audio.settings.muted)
        return;
    SDL_LockAudio();
    audio.mixer.start(audio.clips[static_cast<std::size_t>(effect)], gain, pitch, group);
    SDL_UnlockAudio();
}

void set_swing(float gain, float pitch)
{
    if (!audio.running)
        return;
    audio.swing_renewed = true;
    SDL_LockAudio();
    audio.mixer.set_loop(&audio.clips[static_cast<std::size_t>(Effect::swing)], gain, pitch);
    SDL_UnlockAudio();
}

void end_sound_frame()
{
    if (!audio.running)
        return;
    if (!audio.swing_renewed) {
        SDL_LockAudio();
        audio.mixer.set_loop(&audio.clips[static_cast<std::size_t>(Effect::swing)], 0, 1);
        SDL_UnlockAudio();
    }
    audio.swing_renewed = false;
}

void hush_world_sounds()
{
    if (!audio.running)
        return;
    SDL_LockAudio();
    audio.mixer.stop(VoiceGroup::world);
    SDL_UnlockAudio();
}

bool toggle_mute()
{
    audio.settings.muted = !audio.settings.muted;
    if (audio.running) {
        hush_world_sounds();
        apply_volume();
    }
    if (save_sound_settings(game_path(sound_settings_file), audio.settings))
        return true;
    log_err() << "Cannot write " << sound_settings_file << "; the sound setting lasts until the game ends" << '\n';
    return false;
}
