#include <cstring>
#include <filesystem>

#include "support/log_capture.hpp"
#include "world/playback_world.hpp"
#include "world/recording_helpers.hpp"

using namespace recording_helpers;

namespace {

class DamagedRecording : public testing::Test {
protected:
    void SetUp() override
    {
        record_game(shipped_level("Slice"), solution("Slice"), dir.file("slice.rec"));
        bytes = read_file_bytes(dir.file("slice.rec"));
        PlaybackWorld whole(dir.file("slice.rec"), false);
        ASSERT_EQ(whole.frames.size(), 64u);
        frames = whole.frames;
        head = bytes.size();
        for (const Frame& frame : frames)
            head -= 8 + 20 * frame.events.size();
    }

    std::string damaged(const std::vector<unsigned char>& content)
    {
        // A new file each time: rewriting one in place makes the file system
        // flush it on every close.
        std::filesystem::remove(dir.file("damaged.rec"));
        write_file_bytes(dir.file("damaged.rec"), content);
        return dir.file("damaged.rec");
    }

    // The game's noise about missing fonts and styles comes first.
    std::string last_error_line()
    {
        std::string text = log.err();
        if (!text.empty() && text.back() == '\n')
            text.pop_back();
        log.clear();
        return text.substr(text.rfind('\n') + 1);
    }

    LogCapture log;
    TempDir dir;
    std::vector<unsigned char> bytes;
    std::vector<Frame> frames;
    std::size_t head = 0;
};

}  // namespace

TEST_F(DamagedRecording, AFileThatIsNoRecordingOrHasABrokenLevelIsRefusedInOneLine)
{
    const std::vector<unsigned char> cut(bytes.begin(), bytes.begin() + static_cast<long>(head) - 1);
    const std::pair<std::vector<unsigned char>, std::string> cases[] = {
        {{}, "cannot open the file"}, {{'h', 'e', 'l', 'l', 'o'}, "not a recording"}, {cut, "the level in it is damaged"}};
    for (const auto& [content, reason] : cases) {
        const std::string file = content.empty() ? dir.file("missing.rec") : damaged(content);
        EXPECT_EQ(open_playback(file, false), nullptr);
        EXPECT_EQ(last_error_line(), "Cannot replay " + file + ": " + reason);
    }
    PlaybackWorld refused(dir.file("damaged.rec"), false);
    EXPECT_EQ(replay_world(refused, 0).frames, 0);
    EXPECT_FALSE(refused.dump_recording(dir.file("out.rec")));
}

TEST_F(DamagedRecording, EveryTruncationIsRefusedOrKeepsTheFramesBeforeTheCut)
{
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        PlaybackWorld playback(damaged({bytes.begin(), bytes.begin() + static_cast<long>(size)}), false);
        if (size < head) {
            EXPECT_NE(playback.refusal(), "") << size;
            continue;
        }
        // A frame whose time and count were read is kept, cut short with a
        // blank event where the cut fell.
        std::size_t kept = 0;
        std::size_t start = head;
        for (; kept < frames.size() && start + 8 <= size; ++kept)
            start += 8 + 20 * frames[kept].events.size();
        ASSERT_EQ(playback.frames.size(), kept) << size;
        if (kept > 0 && start > size) {
            const std::size_t whole_events = (size - (start - 20 * frames[kept - 1].events.size())) / 20;
            ASSERT_EQ(playback.frames.back().events.size(), whole_events + 1) << size;
            EXPECT_EQ(playback.frames.back().events.back().type, 0) << size;
        }
        EXPECT_EQ(replay_world(playback, 0).frames, static_cast<int>(kept));
    }
}

TEST_F(DamagedRecording, AFrameTimeNoGameCanHaveEndsTheFrames)
{
    std::size_t at = head;
    for (std::size_t i = 0; i < 5; ++i)
        at += 8 + 20 * frames[i].events.size();
    for (const unsigned int ms : {0u, max_recorded_frame_ms + 1, 0xFFFFFFFFu}) {
        std::vector<unsigned char> content = bytes;
        std::memcpy(content.data() + at, &ms, 4);
        log.clear();
        PlaybackWorld playback(damaged(content), false);
        EXPECT_EQ(playback.frames.size(), 5u) << ms;
        EXPECT_NE(log.out().find("Recording damaged at frame 5"), std::string::npos);
    }
}
