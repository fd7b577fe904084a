#pragma once

#include <string>

#include "sound/effects.hpp"
#include "sound/sound_clip.hpp"

// Peak of every made effect, as a fraction of full scale: room for the
// mixer to add a few without reaching its limiter.
constexpr double effect_peak = 0.6;

// Makes an effect from seeded noise and decaying tones: the same samples on
// every build and every run.
SoundClip synthesize(Effect effect);
// Writes every effect into folder + "/sounds/"; false when one cannot be written.
bool make_game_sounds(const std::string& folder);
