#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/sword.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"

namespace {

// The stored record with the given style name and trail count, and one trail
// entry after it.
std::vector<unsigned char> record(const std::string& style_name, unsigned int trail_count)
{
    MemoryStorage storage;
    storage.write(style_name), storage.write(Vector2(1, 2)), storage.write(Vector2(3, 4));
    storage.write(Vector2(0, 1)), storage.write(0.5), storage.write(2), storage.write(true), storage.write(0.25);
    storage.write(trail_count), storage.write(Vector2(1, 2)), storage.write(0.125);
    return storage.bytes();
}

}  // namespace

// The sword's friction, pushes, heading and trail shape every shipped level's
// game and so its state hash; here, what the levels' strokes do not reach.
TEST(SwordMotion, FrictionNeverTurnsTheSwordAndCountersAndHeadingsStayValid)
{
    Sword slow;
    slow.velocity = Vector2(1, 0);
    int frames = 0;
    for (; slow.velocity.x != 0.0 && frames < 100; ++frames) {
        slow.update(1.0 / 60.0);
        EXPECT_GE(slow.velocity.x, 0.0);
    }
    EXPECT_EQ(frames, 11) << "friction stops the sword, never turns it";

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    EXPECT_FALSE(slow.handle_event(key));

    Sword negative;
    negative.inside_count = -2, negative.total_drag = -0.5;
    negative.update(0.01);
    EXPECT_EQ(negative.inside_count, 0) << "counters are clamped at zero";
    EXPECT_EQ(negative.total_drag, 0.0);

    // Half of (0, 1) plus half of (0, -1) has no length.
    Sword turned;
    turned.direction = Vector2(0, 1), turned.velocity = Vector2(0, -0.05);
    turned.update(0.5);
    EXPECT_EQ(turned.direction, Vector2(1, 0));
}

// The whole record's round trip and every truncation are checked with the
// shipped levels; here, what no sword can hold.
TEST(SwordStorage, DamagedRecordsAreRefusedAndLeaveTheSword)
{
    LogCapture log;
    Sword sword;
    EXPECT_TRUE(load_bytes(sword, record("", 1)));
    EXPECT_EQ(sword.position, Vector2(1, 2));
    sword = Sword();
    for (const auto& [style, count] : {std::pair{"wood", 1u}, std::pair{"", 0x7fffffffu}, std::pair{"", 2u},
                                       std::pair{"", 0u}})
        EXPECT_FALSE(load_bytes(sword, record(style, count))) << style << " " << count;
    EXPECT_EQ(saved_bytes(sword), saved_bytes(Sword()));
}
