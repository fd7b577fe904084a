#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"

using namespace recording_helpers;

namespace {

class RecordingGames : public testing::Test {
protected:
    LogCapture log;
    TempDir dir;
};

// What a recording holds of an event: its type, and the key of a key event.
int kind_of(const SDL_Event& event)
{
    return event.type == SDL_KEYDOWN || event.type == SDL_KEYUP ? event.type * 1000 + event.key.keysym.sym : event.type;
}

}  // namespace

TEST_F(RecordingGames, KeyPressesOtherThanSpaceAndEscapeAreNotRecorded)
{
    record_game(shipped_level("Slice"), parse_script("17 k:97 K:97 k:32 k:27 d:1 m:5,-5 u:1 k:102 K:102\n15\n"),
                dir.file("keys.rec"));
    PlaybackWorld playback(dir.file("keys.rec"), false);
    ASSERT_EQ(playback.frames.size(), 2u);
    EXPECT_EQ(playback.frames[0].ms, 17u);
    EXPECT_EQ(playback.frames[1].ms, 15u);
    EXPECT_TRUE(playback.frames[1].events.empty());
    std::vector<int> kinds;
    for (const SDL_Event& event : playback.frames[0].events)
        kinds.push_back(kind_of(event));
    EXPECT_EQ(kinds, (std::vector<int>{SDL_KEYUP * 1000 + 97, SDL_KEYDOWN * 1000 + 32, SDL_KEYDOWN * 1000 + 27,
                                       SDL_MOUSEBUTTONDOWN, SDL_MOUSEMOTION, SDL_MOUSEBUTTONUP,
                                       SDL_KEYUP * 1000 + 102}));
}

TEST_F(RecordingGames, ALevelFileIsRecordedAndTheRecordingWrittenWhenTheGameGoes)
{
    {
        World level;
        OutFileStorage file(dir.file("plain.lev"));
        level.save(file);
    }
    {
        RecordingWorld game(dir.file("plain.lev"), dir.file("world.rec"));
        ASSERT_TRUE(game.loaded());
        for (int i = 0; i < 3; ++i) {
            double dt = 0.02;
            game.update(dt);
        }
        log.clear();
    }
    EXPECT_EQ(log.out(), "Recording dumped to file " + dir.file("world.rec") + "\nRecording done\n");
    PlaybackWorld playback(dir.file("world.rec"), false);
    EXPECT_EQ(playback.file_name, dir.file("plain.lev"));
    ASSERT_EQ(playback.frames.size(), 3u);
    EXPECT_EQ(playback.frames[2].ms, 20u);

    // A level that cannot be played leaves no recording behind.
    std::vector<unsigned char> bytes = read_file_bytes(dir.file("plain.lev"));
    bytes.resize(bytes.size() - 3);
    write_file_bytes(dir.file("cut.lev"), bytes);
    for (const std::string& level : {dir.file("cut.lev"), dir.file("missing.lev")}) {
        log.clear();
        EXPECT_EQ(start_recording(level, dir.file("never.rec")), nullptr);
        EXPECT_NE(log.err().find("Cannot open level " + level + ": "), std::string::npos) << log.err();
        EXPECT_FALSE(std::filesystem::exists(dir.file("never.rec")));
    }
}

TEST_F(RecordingGames, AResultsRecordingPassesOnlyWhenItWinsInTheTimeItsNameGives)
{
    const std::string source = dir.file("slice.rec");
    record_game(shipped_level("Slice"), solution("Slice"), source);
    const std::vector<unsigned char> bytes = read_file_bytes(source);
    std::string why;
    const auto check = [&](const std::string& name, std::size_t size) {
        write_file_bytes(dir.file(name), {bytes.begin(), bytes.begin() + static_cast<long>(size)});
        return verify_recording(dir.file(name), why);
    };
    EXPECT_TRUE(check("R-Slice.Ann.Lee.1.024.rec", bytes.size())) << why;
    EXPECT_FALSE(check("R-Slice.Ann.1.025.rec", bytes.size()));
    EXPECT_NE(why.find("wins in 1.024, the name says 1.025"), std::string::npos) << why;
    EXPECT_FALSE(check("R-Slice.Ann.1.024.rec", bytes.size() - 28)) << "the last frame won";
    EXPECT_NE(why.find("does not win"), std::string::npos) << why;
    for (const std::string name : {"slice.rec", "R-Slice.1.024.rec", "R-Slice.Ann.1.24.rec", "X-Slice.Ann.1.024.rec",
                                   "R-Slice.Ann.1:5.024.rec"})
        EXPECT_FALSE(check(name, bytes.size())) << name;
    std::string time;
    EXPECT_TRUE(recording_time_text("recordings/P-a.b.c.12:05.500.rec", time));
    EXPECT_EQ(time, "12:05.500");
}
