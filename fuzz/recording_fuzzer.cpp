// Recordings, through open_playback. A file is refused with a reason, or it
// gives a playback that writes a recording which reads back to the same
// level and frames and writes the same bytes again; the playback then plays
// some frames and seeks back to its start, as the playback controls do.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "storage/event_record.hpp"
#include "storage/memory_storage.hpp"
#include "world/playback_world.hpp"

namespace {

std::vector<unsigned char> record(const World& world)
{
    MemoryStorage storage;
    world.save(storage);
    return storage.bytes();
}

bool same_frames(const std::vector<Frame>& a, const std::vector<Frame>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].ms != b[i].ms || a[i].events.size() != b[i].events.size())
            return false;
        for (std::size_t j = 0; j < a[i].events.size(); ++j)
            if (event_to_record(a[i].events[j]) != event_to_record(b[i].events[j]))
                return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("input.rec");
    static const std::string output = scratch_path("saved.rec");
    write_bytes(input, data, size);
    const std::unique_ptr<PlaybackWorld> playback = open_playback(input, false);
    if (!playback)
        return 0;

    FUZZ_CHECK(playback->dump_recording(output));
    const std::vector<unsigned char> saved = read_bytes(output);
    const std::unique_ptr<PlaybackWorld> again = open_playback(output, false);
    FUZZ_CHECK(again);
    FUZZ_CHECK(again->file_name == playback->file_name);
    FUZZ_CHECK(record(*again) == record(*playback));
    FUZZ_CHECK(same_frames(again->frames, playback->frames));
    FUZZ_CHECK(again->dump_recording(output));
    FUZZ_CHECK(read_bytes(output) == saved);
    std::remove(output.c_str());

    // Past the first snapshots and back, as the playback controls would.
    for (int i = 0; i < 40; ++i) {
        double dt = 0.016;
        playback->update(dt);
    }
    playback->seek_target = 0;
    double dt = 0.016;
    playback->update(dt);
    return 0;
}
