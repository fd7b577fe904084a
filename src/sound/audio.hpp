#pragma once

#include "sound/effects.hpp"
#include "sound/mixer.hpp"

// The game's sound output: the effects loaded from "sounds/", one mixer, and
// SDL's audio device. Without a device, or without the effects, the game
// runs silent and says so once on the error stream; every call below is then
// a cheap no-op.

// Reads the settings and the effects and opens the device.
void start_audio();
void stop_audio();
bool audio_running();

void play_effect(Effect effect, float gain, float pitch, VoiceGroup group);
// The sword's swing for this frame; a frame that sets none lets it die away.
void set_swing(float gain, float pitch);
// Closes a frame of the game loop: a swing no step renewed fades out.
void end_sound_frame();
// Pausing, seeking, leaving a game: the game's sounds stop, the menus' go on.
void hush_world_sounds();

// 'M': flips muting and writes the settings; false when they could not be
// written (the choice then lasts until the game ends).
bool toggle_mute();
