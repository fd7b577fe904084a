#include <gtest/gtest.h>

#include <vector>

#include "app/shell.hpp"

namespace {

// A clock that only moves when the loop sleeps or when the test says so.
struct FakeClock {
    Uint32 now = 0;
    std::vector<Uint32> delays;

    unsigned int frame(Uint32& last)
    {
        return wait_for_frame(
            last, [this] { return now; }, [this](Uint32 ms) { delays.push_back(ms); now += ms; });
    }
};

}  // namespace

TEST(FrameTiming, AShortFrameSleepsUpToFifteenMilliseconds)
{
    FakeClock clock;
    Uint32 last = 1000;
    clock.now = 1005;
    EXPECT_EQ(clock.frame(last), 15u);
    EXPECT_EQ(clock.delays, std::vector<Uint32>{10});
    EXPECT_EQ(last, 1015u);
}

TEST(FrameTiming, ASlowFrameIsCappedButTheClockKeepsUp)
{
    FakeClock clock;
    Uint32 last = 0;
    clock.now = 200;
    EXPECT_EQ(clock.frame(last), 33u);
    EXPECT_TRUE(clock.delays.empty());
    EXPECT_EQ(last, 200u) << "the lost time is dropped, not caught up";
    clock.now = 220;
    EXPECT_EQ(clock.frame(last), 20u);
    EXPECT_EQ(last, 220u);
}

TEST(FrameTiming, ExactlyTheBoundsPassThrough)
{
    FakeClock clock;
    Uint32 last = 0;
    clock.now = 15;
    EXPECT_EQ(clock.frame(last), 15u);
    clock.now = 48;
    EXPECT_EQ(clock.frame(last), 33u);
    EXPECT_TRUE(clock.delays.empty());
}

TEST(FrameTiming, TheTickCounterMayWrapAround)
{
    FakeClock clock;
    Uint32 last = 0xFFFFFFF0u;
    clock.now = 0x00000010u;
    EXPECT_EQ(clock.frame(last), 32u);
    EXPECT_EQ(last, 0x10u);
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
