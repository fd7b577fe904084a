#include <gtest/gtest.h>

#include <vector>

#include "app/shell.hpp"

TEST(FrameTiming, FramesLastFifteenToThirtyThreeMilliseconds)
{
    struct Case {
        const char* name;
        Uint32 last, now;
        unsigned int ms;
        std::vector<Uint32> sleeps;
        Uint32 last_after;
    };
    const Case cases[] = {
        {"short frame sleeps up to 15", 1000, 1005, 15, {10}, 1015},
        {"exactly 15", 0, 15, 15, {}, 15},
        {"exactly 33", 15, 48, 33, {}, 48},
        // The lost time is dropped, not caught up.
        {"slow frame is capped", 0, 200, 33, {}, 200},
        {"tick counter wraps", 0xFFFFFFF0u, 0x10u, 32, {}, 0x10u},
    };
    for (const Case& c : cases) {
        Uint32 now = c.now, last = c.last;
        std::vector<Uint32> sleeps;
        const unsigned int ms = wait_for_frame(
            last, [&] { return now; }, [&](Uint32 d) { sleeps.push_back(d); now += d; });
        EXPECT_EQ(ms, c.ms) << c.name;
        EXPECT_EQ(sleeps, c.sleeps) << c.name;
        EXPECT_EQ(last, c.last_after) << c.name;
    }
}

TEST(FrameTiming, ASleepThatEndsEarlyIsRepeated)
{
    Uint32 now = 0;
    std::vector<Uint32> delays;
    Uint32 last = 0;
    // Each sleep lasts only 4 ms.
    const unsigned int ms = wait_for_frame(
        last, [&] { return now; }, [&](Uint32 d) { delays.push_back(d); now += 4; });
    EXPECT_EQ(ms, 16u);
    EXPECT_EQ(delays, (std::vector<Uint32>{15, 11, 7, 3}));
}
