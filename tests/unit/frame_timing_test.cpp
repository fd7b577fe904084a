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
        Uint32 sleep_lasts = 0;  // 0: as long as asked
    };
    const Case cases[] = {
        {"short frame sleeps up to 15", 1000, 1005, 15, {10}, 1015},
        {"exactly 15", 0, 15, 15, {}, 15},
        {"exactly 33", 15, 48, 33, {}, 48},
        // The lost time is dropped, not caught up.
        {"slow frame is capped", 0, 200, 33, {}, 200},
        {"tick counter wraps", 0xFFFFFFF0u, 0x10u, 32, {}, 0x10u},
        {"a sleep that ends early is repeated", 0, 0, 16, {15, 11, 7, 3}, 16, 4},
    };
    for (const Case& c : cases) {
        Uint32 now = c.now, last = c.last;
        std::vector<Uint32> sleeps;
        const unsigned int ms = wait_for_frame(
            last, [&] { return now; }, [&](Uint32 d) { sleeps.push_back(d); now += c.sleep_lasts ? c.sleep_lasts : d; });
        EXPECT_EQ(ms, c.ms) << c.name;
        EXPECT_EQ(sleeps, c.sleeps) << c.name;
        EXPECT_EQ(last, c.last_after) << c.name;
    }
}
