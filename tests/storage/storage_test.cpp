#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "geometry/vector2.hpp"
#include "storage/event_record.hpp"
#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

using Bytes = std::vector<unsigned char>;

namespace {

MemoryStorage memory_with(const Bytes& bytes)
{
    MemoryStorage m;
    m.write_raw(bytes.data(), bytes.size());
    return m;
}

Bytes file_with_magic(Bytes rest)
{
    Bytes bytes{0xED, 0x55, 0x5E, 0x0B};
    bytes.insert(bytes.end(), rest.begin(), rest.end());
    return bytes;
}

}  // namespace

TEST(StorageEncoding, PrimitivesAreLittleEndianAndReadBack)
{
    LogCapture log;
    MemoryStorage m;
    m.write(1.0), m.write(true), m.write(false), m.write(-2), m.write(0x01020304u);
    m.write(std::string()), m.write(std::string("ab")), m.write(Vector2(0.0, -0.0));
    const Bytes expected{0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 1, 0, 0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01,
                         0, 0, 0, 0, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80};
    // Every record's round trip reads them back.
    EXPECT_EQ(m.bytes(), expected);

    // Only the byte 1 is true.
    MemoryStorage bools = memory_with({2, 0xFF});
    bool b = true, c = true;
    ASSERT_TRUE(bools.read(b) && bools.read(c));
    EXPECT_FALSE(b || c);
    b = true;
    EXPECT_FALSE(bools.read(b)) << "nothing left";
    EXPECT_TRUE(b) << "a failed read leaves the target alone";
}

TEST(StorageDamage, ImpossibleStringLengthsAndCountsAreRefused)
{
    LogCapture log;
    for (const Bytes& length : {Bytes{0x10, 0x27, 0, 0}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0x10, 0, 0, 0}}) {
        Bytes bytes = length;
        bytes.insert(bytes.end(), 12, 'x');
        MemoryStorage m = memory_with(bytes);
        std::string s = "keep";
        EXPECT_FALSE(m.read(s));
        EXPECT_TRUE(s == "keep" && m.corrupt()) << "no byte of a refused string is read";
        unsigned char c;
        EXPECT_FALSE(m.read_raw(&c, 1)) << "a corrupt storage reads nothing more";
    }
    MemoryStorage longest;
    longest.write(std::string(9999, 'q'));
    std::string s;
    EXPECT_TRUE(longest.read(s) && s.size() == 9999u);
    // One byte more could not be read back: the write fails, and so does
    // every read of what the storage holds.
    MemoryStorage too_long;
    too_long.write(1), too_long.write(std::string(10000, 'q'));
    EXPECT_EQ(too_long.write_failure(), "a string of 10000 bytes is too long to be read back");
    int i = 0;
    EXPECT_FALSE(too_long.read(i));

    // A count of 16-byte entries: (count, entries that follow, accepted).
    for (const auto& [count, entries, ok] : {std::tuple{3, 3, true}, {0, 0, true}, {0x7FFFFFFF, 1, false},
                                             {-1, 0, false}, {2, 1, false}}) {
        MemoryStorage m;
        m.write(count);
        for (int e = 0; e < entries; ++e)
            m.write(Vector2(e, e));
        int read = -7;
        EXPECT_EQ(m.read_count(read, 16), ok) << count;
        EXPECT_TRUE(!ok || read == count) << count;
    }
}

// A tolerant reader names a missing or foreign file; a strict reader of a
// file with a wrong magic number, one read past the end of a file, and one
// whose file changed under it read nothing more.
TEST(StorageDamage, BadMagicShortReadsAndAChangedMagicFailTheFile)
{
    TempDir dir;
    write_file_bytes(dir.file("bad"), {1, 2, 3, 4, 0, 0, 0, 0});
    write_file_bytes(dir.file("short"), file_with_magic({1, 0, 0}));
    write_file_bytes(dir.file("changing"), file_with_magic({1, 0, 0, 0}));
    LogCapture log;
    int i = 7;
    InFileStorage missing(dir.file("missing.list"), true);
    EXPECT_TRUE(missing.bad_magic());
    EXPECT_NE(log.out().find("File " + dir.file("missing.list") + " has the wrong magic number"), std::string::npos);
    for (const bool tolerant : {true, false}) {
        InFileStorage bad(dir.file("bad"), tolerant);
        EXPECT_EQ(bad.bad_magic(), tolerant) << "the flag belongs to tolerant mode";
        EXPECT_FALSE(bad.read(i)) << tolerant;
    }

    InFileStorage short_file(dir.file("short"), false);
    EXPECT_FALSE(short_file.read(i));
    bool b = false;
    EXPECT_FALSE(short_file.read(b)) << "file streams stay failed";

    InFileStorage changing(dir.file("changing"), false);
    ASSERT_TRUE(changing.read(i));
    write_file_bytes(dir.file("changing"), {0, 0, 0, 0, 1, 0, 0, 0});
    changing.rewind();
    EXPECT_FALSE(changing.read(i));
}

TEST(FileStorage, AFailedOrUnfinishedWriteKeepsTheOldFile)
{
    TempDir dir;
    const std::string name = dir.file("highscores.list");
    write_file_bytes(name, file_with_magic({7}));
    LogCapture log;
    {
        OutFileStorage out(dir.file("no-such-folder/highscores.list"));
        EXPECT_FALSE(out.finish());
    }
    EXPECT_NE(log.err().find("Cannot write " + dir.file("no-such-folder/highscores.list")), std::string::npos);
    {
        OutFileStorage out(name);
        out.write(std::string(10000, 'x')), out.write(5);
        EXPECT_FALSE(out.finish());
    }
    EXPECT_NE(log.err().find("Cannot write " + name + ": a string of 10000 bytes is too long"), std::string::npos);
    EXPECT_EQ(read_file_bytes(name), file_with_magic({7}));
    EXPECT_FALSE(std::filesystem::exists(name + ".tmp"));
    {
        OutFileStorage out(name);
        out.write(123);
        EXPECT_EQ(read_file_bytes(name), file_with_magic({7})) << "replaced only when the write is complete";
    }
    EXPECT_EQ(read_file_bytes(name), file_with_magic({123, 0, 0, 0}));
}

TEST(EventRecord, MotionButtonAndKeyEventsRoundTripThroughTwentyBytes)
{
    SDL_Event events[3];
    std::memset(events, 0, sizeof events);
    events[0].type = SDL_MOUSEMOTION;
    events[0].motion.x = 1000, events[0].motion.y = 700, events[0].motion.xrel = -3, events[0].motion.yrel = 250;
    events[1].type = SDL_MOUSEBUTTONUP;
    events[1].button.button = SDL_BUTTON_RIGHT, events[1].button.x = 12, events[1].button.y = 34;
    events[2].type = SDL_KEYDOWN;
    SDL_keysym& key = events[2].key.keysym;
    key.sym = SDLK_SPACE, key.mod = static_cast<SDLMod>(KMOD_LSHIFT | KMOD_NUM), key.unicode = 0x263A;
    MemoryStorage m;
    for (const SDL_Event& event : events)
        m.write(event);
    ASSERT_EQ(m.bytes().size(), 60u);
    const Bytes first(m.bytes().begin(), m.bytes().begin() + 12);
    EXPECT_EQ(first, (Bytes{4, 0, 0, 0, 0xE8, 0x03, 0xBC, 0x02, 0xFD, 0xFF, 0xFA, 0x00}));
    EXPECT_EQ((Bytes{m.bytes()[20], m.bytes()[22], m.bytes()[26], m.bytes()[40], m.bytes()[48], m.bytes()[52],
                     m.bytes()[56], m.bytes()[57]}),
              (Bytes{SDL_MOUSEBUTTONUP, SDL_BUTTON_RIGHT, 34, SDL_KEYDOWN, SDLK_SPACE, KMOD_LSHIFT, 0x3A, 0x26}));

    // Every field comes back, and the bytes past the record are zeroed.
    SDL_Event read[3];
    std::memset(read, 0xAB, sizeof read);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m.read(read[i]));
        EXPECT_EQ(std::memcmp(&read[i], &events[i], sizeof(SDL_Event)), 0) << i;
    }
}
