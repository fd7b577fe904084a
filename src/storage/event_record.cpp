#include "storage/event_record.hpp"

#include <cstddef>
#include <cstdint>
#include <cstring>

// The offsets the recording format relies on (the 32-bit layout).
static_assert(offsetof(SDL_Event, type) == 0);
static_assert(offsetof(SDL_Event, button) == 0 && offsetof(SDL_MouseButtonEvent, button) == 2);
static_assert(offsetof(SDL_MouseMotionEvent, x) == 4 && offsetof(SDL_MouseMotionEvent, y) == 6);
static_assert(offsetof(SDL_MouseMotionEvent, xrel) == 8 && offsetof(SDL_MouseMotionEvent, yrel) == 10);
static_assert(offsetof(SDL_MouseButtonEvent, x) == 4 && offsetof(SDL_MouseButtonEvent, y) == 6);
static_assert(offsetof(SDL_KeyboardEvent, keysym) + offsetof(SDL_keysym, sym) == 8);
static_assert(offsetof(SDL_KeyboardEvent, keysym) + offsetof(SDL_keysym, mod) == 12);
static_assert(offsetof(SDL_KeyboardEvent, keysym) + offsetof(SDL_keysym, unicode) == 16);
static_assert(sizeof(SDL_KeyboardEvent) <= event_record_size);
static_assert(sizeof(SDL_MouseMotionEvent) <= event_record_size);
static_assert(sizeof(SDL_MouseButtonEvent) <= event_record_size);
static_assert(sizeof(SDL_Event) >= event_record_size);

EventRecord event_to_record(const SDL_Event& event)
{
    EventRecord record{};
    std::memcpy(record.data(), &event, event_record_size);
    return record;
}

SDL_Event event_from_record(const EventRecord& record)
{
    SDL_Event event;
    std::memset(&event, 0, sizeof event);
    std::memcpy(&event, record.data(), event_record_size);
    return event;
}

bool event_record_plausible(const EventRecord& record)
{
    if (record[0] != SDL_KEYDOWN && record[0] != SDL_KEYUP)
        return true;
    std::uint32_t sym = 0;
    std::uint32_t mod = 0;
    std::memcpy(&sym, record.data() + 8, sizeof sym);
    std::memcpy(&mod, record.data() + 12, sizeof mod);
    return sym < SDLK_LAST && mod <= 0xFFFF;
}
