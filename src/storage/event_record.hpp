#pragma once

#include <array>
#include <cstddef>

#include <SDL/SDL.h>

// An input event as stored in recordings: the first 20 bytes of the SDL 1.2
// event in its 32-bit layout. On 64-bit builds SDL_Event is 24 bytes (the user
// event holds pointers), but the key, motion and button members sit at the
// same offsets on both, so copying their first 20 bytes keeps recordings
// byte-compatible.
constexpr std::size_t event_record_size = 20;
using EventRecord = std::array<unsigned char, event_record_size>;

EventRecord event_to_record(const SDL_Event& event);
// The event is zeroed first, so bytes past the record are always 0.
SDL_Event event_from_record(const EventRecord& record);
// False for a key event whose key code or modifier mask SDL's enums cannot
// hold: no SDL event has them, and reading them as those enums is undefined.
bool event_record_plausible(const EventRecord& record);
