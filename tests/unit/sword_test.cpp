#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "geometry/sword.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/records.hpp"

namespace {

SDL_Event motion(int dx, int dy)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION, event.motion.xrel = static_cast<Sint16>(dx);
    event.motion.yrel = static_cast<Sint16>(dy);
    return event;
}

SDL_Event button(Uint8 type, Uint8 which)
{
    SDL_Event event{};
    event.type = type, event.button.button = which;
    return event;
}

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

TEST(SwordMotion, FrictionByDtDependsOnTheSpeedAndPushesAreScaled)
{
    // 8 dt below speed 2 down to a stop, 12 dt up to 8, the deceleration of
    // speed 8 as a factor above; the frame's move uses the velocity before
    // friction.
    const struct {
        Vector2 velocity;
        int push_x;  // mouse pixels this frame
        double dt;
        Vector2 after, moved;
    } cases[] = {
        {{1, 0}, 0, 1.0 / 60, {1 - 8.0 / 60, 0}, {1.0 / 60, 0}},
        {{0, -4}, 0, 0.02, {0, -4 + 0.24}, {0, -0.08}},
        {{6, 8}, 0, 0.02, {6 * 7.76 / 8, 8 * 7.76 / 8}, {0.12, 0.16}},
        // 384 pixels are one unit, pushing by twice it per dt.
        {{0, 0}, 384, 1.0 / 60, {2 - 12.0 / 60, 0}, {2.0 / 60, 0}},
        // ... up to 100 dt a frame.
        {{0, 0}, 768, 1.0 / 60, {2 * 100.0 / 60 - 12.0 / 60, 0}, {2 * 100.0 / 60 / 60, 0}},
    };
    for (const auto& c : cases) {
        Sword sword;
        sword.velocity = c.velocity;
        sword.handle_event(motion(c.push_x, 0));
        sword.update(c.dt);
        SCOPED_TRACE(testing::Message() << c.velocity.x << "," << c.velocity.y << " push " << c.push_x);
        EXPECT_NEAR(sword.velocity.x, c.after.x, 1e-12);
        EXPECT_NEAR(sword.velocity.y, c.after.y, 1e-12);
        EXPECT_NEAR(sword.position.x, c.moved.x, 1e-12);
        EXPECT_NEAR(sword.position.y, c.moved.y, 1e-12);
        EXPECT_EQ(sword.pending_motion, Vector2(0, 0));
    }

    Sword slow;
    slow.velocity = Vector2(1, 0);
    int frames = 0;
    for (; slow.velocity.x != 0.0 && frames < 100; ++frames) {
        slow.update(1.0 / 60.0);
        EXPECT_GE(slow.velocity.x, 0.0);
    }
    EXPECT_EQ(frames, 11) << "friction stops the sword, never turns it";

    Sword scaled;
    EXPECT_TRUE(scaled.handle_event(motion(0, 192)));
    EXPECT_EQ(scaled.pending_motion, Vector2(0, -0.5)) << "screen y runs down";
    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    EXPECT_FALSE(scaled.handle_event(key));

    Sword negative;
    negative.inside_count = -2, negative.total_drag = -0.5;
    negative.update(0.01);
    EXPECT_EQ(negative.inside_count, 0) << "counters are clamped at zero";
    EXPECT_EQ(negative.total_drag, 0.0);
}

TEST(SwordInput, AnyButtonBluntsAndTheLookFadesIn0Point1Seconds)
{
    Sword sword;
    for (const bool down : {true, false}) {
        EXPECT_TRUE(sword.handle_event(button(down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP,
                                              down ? SDL_BUTTON_RIGHT : SDL_BUTTON_LEFT)));
        EXPECT_EQ(sword.cannot_cut, down);
        for (const double step : {0.25, 0.5, 0.75, 1.0, 1.0}) {
            sword.update(0.025);
            EXPECT_EQ(sword.cannot_cut_fade, down ? step : 1 - step);
        }
    }
}

TEST(SwordTrail, KeepsThreeEntriesAndThoseUnderHalfASecond)
{
    Sword old;
    for (int frame = 0; frame < 10; ++frame)
        old.update(0.3);
    EXPECT_EQ(old.trail.size(), 3u);

    Sword sword;
    for (int frame = 0; frame < 10; ++frame)
        sword.update(0.125);
    // Ages 0.125 to 0.5; the entry of age 0.625 went.
    ASSERT_EQ(sword.trail.size(), 4u);
    EXPECT_EQ(sword.trail.back().age, 0.5);

    // The newest entry is where the sword stood before this frame's move.
    sword.velocity = Vector2(4, 0);
    const Vector2 before = sword.position;
    sword.update(0.125);
    EXPECT_EQ(sword.trail.front().point, before);
}

TEST(SwordHeading, ShortMovesBlendLongMovesSetItNoMoveKeepsIt)
{
    struct Case {
        Vector2 direction, velocity;
        double dt;
        Vector2 expected;
    };
    const Case cases[] = {
        // A move of 0.025 weighs the new direction by one half; 0.05 is
        // still blended, with the full weight on the move.
        {{1, 0}, {0, 0.05}, 0.5, {std::sqrt(0.5), std::sqrt(0.5)}},
        {{1, 0}, {0, 0.1}, 0.5, {0, 1}},
        {{1, 0}, {-6, 0}, 0.01, {-1, 0}},
        {{0, 1}, {0, 0}, 0.01, {0, 1}},
        // Half of (0, 1) plus half of (0, -1) has no length.
        {{0, 1}, {0, -0.05}, 0.5, {1, 0}},
    };
    for (const Case& c : cases) {
        Sword sword;
        sword.direction = c.direction, sword.velocity = c.velocity;
        sword.update(c.dt);
        EXPECT_NEAR(sword.direction.x, c.expected.x, 1e-15) << c.velocity.x << "," << c.velocity.y;
        EXPECT_NEAR(sword.direction.y, c.expected.y, 1e-15) << c.velocity.x << "," << c.velocity.y;
    }
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
