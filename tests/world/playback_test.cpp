#include <cstring>

#include "support/log_capture.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"

using namespace recording_helpers;

namespace {

// Stands for the playback controls: a screen in front of the playback.
class StubScreen : public BaseWorld {
public:
    bool handle_event(const SDL_Event&, double&) override { return false; }
    void update(double&) override {}
    void draw() override {}
};

class Playback : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        LogCapture quiet;
        dir = new TempDir;
        long_states = record_game(shipped_level("Sorting"), swings(1000), dir->file("long.rec"));
        short_states = record_game(shipped_level("Sorting"), swings(100), dir->file("short.rec"));
    }
    static void TearDownTestSuite() { delete dir; }
    void SetUp() override { current_world = &menu; }
    void TearDown() override { current_world = nullptr; }

    static std::unique_ptr<PlaybackWorld> open(const std::string& name, bool demo = false)
    {
        auto playback = std::make_unique<PlaybackWorld>(dir->file(name), demo);
        EXPECT_EQ(playback->refusal(), "");
        return playback;
    }
    static void update(PlaybackWorld& playback, double dt = 0.016) { playback.update(dt); }
    // Frame by frame, as the "f" key does.
    static void play_to(PlaybackWorld& playback, int frame)
    {
        while (playback.next_frame < frame) {
            playback.paused = true;
            playback.step_once = true;
            update(playback, 0);
        }
    }
    // 16 ms updates until the playback pauses; the number of updates.
    static int updates_until_paused(PlaybackWorld& playback)
    {
        int updates = 0;
        for (; !playback.paused && updates < 100000; ++updates)
            update(playback);
        return updates;
    }
    static int seek(PlaybackWorld& playback, int target)
    {
        playback.seek_target = target;
        playback.paused = false;
        return updates_until_paused(playback);
    }

    static inline TempDir* dir = nullptr;
    static inline std::vector<std::vector<unsigned char>> long_states;
    static inline std::vector<std::vector<unsigned char>> short_states;
    LogCapture log;
    StubScreen menu;
};

}  // namespace

TEST_F(Playback, PlaysInRealTimeWithSnapshotsOnlyUpToTheFurthestFramePlayed)
{
    const auto playback = open("long.rec");
    EXPECT_EQ(playback->frames.size(), 1000u);
    EXPECT_EQ(record_of(*playback), shipped_level("Sorting"));
    for (int i = 0; i < 100; ++i)
        update(*playback);
    EXPECT_EQ(playback->next_frame, 100);
    EXPECT_EQ(record_of(*playback), long_states[99]);
    std::vector<int> frames;
    for (const Snapshot& snapshot : playback->snapshots)
        frames.push_back(snapshot.frame);
    EXPECT_EQ(frames, (std::vector<int>{0, 15, 30, 45, 60, 75, 90}));
}

TEST_F(Playback, JumpsPlayForwardAtTenTimesTheSpeedOrBackFromTheNearestSnapshotBelow)
{
    const auto playback = open("long.rec");
    play_to(*playback, 10);
    ASSERT_EQ(playback->snapshots.size(), 1u);
    playback->speed_percent = 50;
    playback->seek_target = 700;
    playback->paused = false;
    update(*playback);
    EXPECT_NEAR(playback->next_frame, 15, 1) << "on from frame 10 at five frames an update";
    EXPECT_NEAR(updates_until_paused(*playback), 137, 1);
    EXPECT_EQ(playback->next_frame, 700) << "paused with the target next";
    EXPECT_EQ(playback->seek_target, -1);
    EXPECT_EQ(record_of(*playback), long_states[699]);

    // Back to 5, then to 40 from the snapshot of frame 30: ten frames.
    playback->speed_percent = 100;
    for (const auto& [target, most_updates] : {std::pair{5, 1}, std::pair{40, 2}}) {
        play_to(*playback, 500);
        EXPECT_LE(seek(*playback, target), most_updates) << target;
        EXPECT_EQ(playback->next_frame, target);
        EXPECT_EQ(record_of(*playback), long_states[target - 1]);
    }
}

TEST_F(Playback, SnapshotsStayWithinTheirBudgetAndStillSeekExactly)
{
    const auto playback = open("long.rec");
    playback->snapshot_budget = 4 * playback->snapshot_bytes();
    update(*playback, 100);
    EXPECT_EQ(playback->next_frame, 1000);
    EXPECT_LE(playback->snapshot_bytes(), playback->snapshot_budget);
    EXPECT_GT(playback->snapshot_spacing(), snapshot_interval);
    EXPECT_EQ(playback->snapshots.front().frame, 0);
    seek(*playback, 500);
    EXPECT_EQ(playback->next_frame, 500);
    EXPECT_EQ(record_of(*playback), long_states[499]);
}

// That the opening demo starts again at its end is heard end to end.
TEST_F(Playback, TheEndPauses)
{
    const auto playback = open("short.rec");
    updates_until_paused(*playback);
    update(*playback);
    EXPECT_EQ(playback->next_frame, 100);
    EXPECT_EQ(record_of(*playback), short_states[99]);
}

// The menus check that a take-over keeps 40 frames and appends the player's;
// here, that the frames kept are the recording's own and the result replays
// to the game played, slowed frames included.
TEST_F(Playback, ATakeOverAtFrame40KeepsTheRecordingsFramesAndReplaysToTheGamePlayed)
{
    const auto playback = open("short.rec");
    play_to(*playback, 40);
    current_world = playback.get();
    playback->discard_future();
    double dt = 0.016;
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.xrel = -70;
    for (int i = 0; i < 5; ++i) {
        playback->speed_percent = i < 3 ? 100 : 50;
        playback->handle_event(motion, dt);
        update(*playback);
    }
    ASSERT_EQ(playback->frames.size(), 45u);
    EXPECT_EQ(playback->frames[44].ms, 8u);
    ASSERT_TRUE(playback->dump_recording(dir->file("taken.rec")));
    current_world = &menu;
    const auto original = open("short.rec");
    const auto again = open("taken.rec");
    ASSERT_EQ(again->frames.size(), 45u);
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(std::memcmp(&again->frames[i].events[0], &original->frames[i].events[0], 20), 0) << i;
    EXPECT_EQ(replay_world(*again, 0).frames, 45);
    EXPECT_EQ(record_of(*again), record_of(*playback));
}
