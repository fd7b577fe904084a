#pragma once

#include <vector>

#include "sound/effects.hpp"
#include "world/step_report.hpp"

// One effect a step asks for.
struct Cue {
    Effect effect = Effect::knock;
    float gain = 1;
    float pitch = 1;
};

// Contacts slower than this are silent, so resting pieces do not buzz.
constexpr double quietest_knock = 0.4;

// The effects of a step, each at `loudness` (1: the game played; less for a
// demo behind a menu). The swing is apart: swing_sound gives its gain and
// pitch from the sword's speed, gain 0 when the sword is still.
void step_cues(const StepReport& report, float loudness, std::vector<Cue>& cues);
void swing_sound(double sword_speed, float& gain, float& pitch);

// Plays a step's sounds through the audio device (nothing when it is closed).
void play_step_sounds(const StepReport& report, float loudness);
