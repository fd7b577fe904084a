#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>

#include "sound/mixer.hpp"
#include "sound/sound_settings.hpp"
#include "sound/synthesis.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

SoundClip constant_clip(std::int16_t value, std::size_t length)
{
    return SoundClip{std::vector<std::int16_t>(length, value)};
}

std::vector<std::int16_t> mixed(Mixer& mixer, int count)
{
    std::vector<std::int16_t> out(static_cast<std::size_t>(count));
    mixer.mix(out.data(), count);
    return out;
}

}  // namespace

TEST(SoundEffects, AreTheSameBytesEveryTimeAndEndInSilence)
{
    LogCapture log;
    TempDir first, second;
    ASSERT_TRUE(make_game_sounds(first.path()));
    ASSERT_TRUE(make_game_sounds(second.path()));
    for (int i = 0; i < effect_count; ++i) {
        const auto effect = static_cast<Effect>(i);
        const std::string name = effect_name(effect);
        EXPECT_EQ(read_file_bytes(first.file(effect_path(effect))), read_file_bytes(second.file(effect_path(effect))))
            << name;
        SoundClip clip;
        std::string reason;
        ASSERT_TRUE(load_clip(first.file(effect_path(effect)), clip, reason)) << name << ": " << reason;
        EXPECT_EQ(clip.samples, synthesize(effect).samples) << name;
        // One-shot effects end in silence, so a voice never stops on a click.
        EXPECT_TRUE(effect == Effect::swing || clip.samples.back() == 0) << name;
    }
}

TEST(SoundEffects, DamagedFilesAreRefused)
{
    LogCapture log;
    TempDir dir;
    ASSERT_TRUE(make_game_sounds(dir.path()));
    const std::vector<unsigned char> good = read_file_bytes(dir.file("sounds/knock.snd"));
    SoundClip clip;
    std::string reason;

    std::vector<unsigned char> longer = good, rate = good, huge = good;
    longer.push_back(0);
    rate[4] ^= 1;
    const std::uint32_t count = max_clip_samples + 1;
    std::copy_n(reinterpret_cast<const unsigned char*>(&count), 4, huge.begin() + 8);
    huge.resize(12 + 2 * count, 0);
    const std::pair<const char*, std::vector<unsigned char>> cases[] = {
        {"one sample byte short", {good.begin(), good.end() - 1}}, {"cut in the count", {good.begin(), good.begin() + 10}},
        {"a byte too many", longer}, {"another rate", rate}, {"longer than any effect", huge}, {"empty", {}}};
    for (const auto& [why, bytes] : cases) {
        write_file_bytes(dir.file("bad.snd"), bytes);
        reason.clear();
        EXPECT_FALSE(load_clip(dir.file("bad.snd"), clip, reason)) << why;
        EXPECT_FALSE(reason.empty()) << why;
    }
    EXPECT_FALSE(load_clip(dir.file("missing.snd"), clip, reason));
}

// Constant clips make the sum easy to predict: 1000 × the sum of the gains.
TEST(SoundMixer, KeepsAFixedNumberOfVoicesAndDropsTheQuietest)
{
    const SoundClip clip = constant_clip(1000, 20000);
    Mixer mixer;
    for (int i = 0; i < mixer_voices; ++i)
        ASSERT_TRUE(mixer.start(clip, 0.1f + 0.01f * static_cast<float>(i), 1, VoiceGroup::world));
    EXPECT_EQ(mixer.playing(), mixer_voices);
    const float all = 0.1f * mixer_voices + 0.01f * (mixer_voices - 1) * mixer_voices / 2;
    EXPECT_NEAR(mixed(mixer, 8)[7], 1000 * all, 1);

    // Quieter than every voice: dropped. Louder: the quietest (0.1) gives way.
    EXPECT_FALSE(mixer.start(clip, 0.05f, 1, VoiceGroup::world));
    EXPECT_TRUE(mixer.start(clip, 0.5f, 1, VoiceGroup::world));
    EXPECT_EQ(mixer.playing(), mixer_voices);
    EXPECT_NEAR(mixed(mixer, 8)[7], 1000 * (all - 0.1f + 0.5f), 1);

    // Finished clips free their voices; an octave up ends twice as soon.
    const SoundClip short_clip = constant_clip(1000, 100);
    Mixer pitched;
    pitched.start(short_clip, 1, 2, VoiceGroup::world);
    mixed(pitched, 49);
    EXPECT_EQ(pitched.playing(), 1);
    mixed(pitched, 2);
    EXPECT_EQ(pitched.playing(), 0);
}

TEST(SoundMixer, NeverClipsAndComesBackToFullGain)
{
    const SoundClip loud = constant_clip(32767, 2000);
    const SoundClip swing = constant_clip(-32767, 500);
    Mixer mixer;
    for (int i = 0; i < mixer_voices; ++i)
        mixer.start(loud, 1.0f, 1, VoiceGroup::world);
    mixer.set_loop(&swing, 1.0f, 1);
    for (std::int16_t s : mixed(mixer, 1000))
        ASSERT_LE(std::abs(static_cast<int>(s)), mixer_ceiling);
    EXPECT_LT(mixer.limiter(), 0.2f);

    // Alone and quiet, the sum passes unchanged once the limiter has recovered.
    Mixer alone;
    alone.start(loud, 1.0f, 1, VoiceGroup::world), alone.start(loud, 1.0f, 1, VoiceGroup::world);
    mixed(alone, 1500);
    alone.stop(VoiceGroup::world);
    mixed(alone, 256);
    const SoundClip quiet = constant_clip(1000, 20000);
    alone.start(quiet, 1.0f, 1, VoiceGroup::world);
    mixed(alone, 4000);
    EXPECT_FLOAT_EQ(alone.limiter(), 1.0f);
    EXPECT_EQ(mixed(alone, 1)[0], 1000);
}

TEST(SoundMixer, StopsOneGroupAndFadesTheSwingOut)
{
    const SoundClip clip = constant_clip(1000, 20000);
    Mixer mixer;
    mixer.start(clip, 1, 1, VoiceGroup::world), mixer.start(clip, 0.5f, 1, VoiceGroup::menu);
    mixer.set_loop(&clip, 0.25f, 1);
    mixed(mixer, 512);
    EXPECT_EQ(mixed(mixer, 1)[0], 1750);

    // The game's sounds fade within a block; the menu's go on.
    mixer.stop(VoiceGroup::world);
    const std::vector<std::int16_t> fading = mixed(mixer, 256);
    EXPECT_GT(fading.front(), fading.back());
    EXPECT_EQ(mixed(mixer, 1)[0], 500);

    // Volume scales everything; no clip at all is silence.
    mixer.set_volume(0.5f);
    EXPECT_EQ(mixed(mixer, 1)[0], 250);
    Mixer silent;
    EXPECT_EQ(mixed(silent, 16), std::vector<std::int16_t>(16, 0));
}

TEST(SoundSettings, RoundTripDefaultsAndDamage)
{
    LogCapture log;
    TempDir dir;
    const std::string path = dir.file("settings.txt");
    SoundSettings settings;
    std::string reason;
    settings.muted = true;
    ASSERT_TRUE(load_sound_settings(path, settings, reason)) << "a missing file gives the defaults";
    EXPECT_FALSE(settings.muted);
    EXPECT_EQ(settings.volume, 80);

    ASSERT_TRUE(save_sound_settings(path, SoundSettings{true, 35}));
    ASSERT_TRUE(load_sound_settings(path, settings, reason)) << reason;
    EXPECT_TRUE(settings.muted);
    EXPECT_EQ(settings.volume, 35);

    const auto refused = [&](const std::string& text, const std::string& why) {
        std::ofstream(path, std::ios::binary) << text;
        settings = SoundSettings{true, 3};
        reason.clear();
        EXPECT_FALSE(load_sound_settings(path, settings, reason)) << text;
        EXPECT_NE(reason.find(why), std::string::npos) << reason;
        EXPECT_FALSE(settings.muted) << text;
        EXPECT_EQ(settings.volume, 80) << text;
    };
    for (const auto& [text, why] : {std::pair<std::string, const char*>{"volume 101\n", "line 1: volume must be 0 to 100"},
                                    {"# fine\nvolume 7x\n", "line 2: volume"}, {"volume -1\n", "volume"},
                                    {"muted maybe\n", "muted must be yes or no"},
                                    {"loudness 5\n", "unknown setting 'loudness'"}, {"volume\n", "one value"},
                                    {"volume 5 6\n", "one value"}, {std::string("volume 5\0\n", 10), ""}})
        refused(text, why);

    std::ofstream(path, std::ios::binary) << "  # comments and blank lines\n\nmuted yes # off\n";
    ASSERT_TRUE(load_sound_settings(path, settings, reason)) << reason;
    EXPECT_TRUE(settings.muted);
    EXPECT_EQ(settings.volume, 80);
}
