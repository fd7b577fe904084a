#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
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

TEST(StorageEncoding, PrimitivesAreLittleEndianInTheirOwnBytes)
{
    MemoryStorage m;
    m.write(1.0);
    m.write(true);
    m.write(false);
    m.write(-2);
    m.write(0x01020304u);
    m.write(std::string());
    m.write(std::string("ab"));
    m.write(Vector2(0.0, -0.0));
    const Bytes expected{
        0, 0, 0, 0, 0, 0, 0xF0, 0x3F,
        1, 0,
        0xFE, 0xFF, 0xFF, 0xFF,
        0x04, 0x03, 0x02, 0x01,
        0, 0, 0, 0,
        2, 0, 0, 0, 'a', 'b',
        0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x80};
    EXPECT_EQ(m.bytes(), expected);
}

TEST(StorageEncoding, ValuesReadBackAsWritten)
{
    LogCapture log;
    MemoryStorage m;
    m.write(std::string("Hello, level"));
    m.write(std::string());
    m.write(-123456);
    m.write(3.25);
    m.write(Vector2(-1.5, 1e300));
    const unsigned char bools[] = {2, 1, 0, 0xFF};
    m.write_raw(bools, 4);

    std::string s, empty = "old";
    int i = 0;
    double d = 0;
    Vector2 v;
    ASSERT_TRUE(m.read(s) && m.read(empty) && m.read(i) && m.read(d) && m.read(v));
    EXPECT_EQ(s, "Hello, level");
    EXPECT_EQ(empty, "");
    EXPECT_EQ(i, -123456);
    EXPECT_EQ(d, 3.25);
    EXPECT_EQ(v, Vector2(-1.5, 1e300));
    EXPECT_EQ(log.out(), "Got string size: 12\nRead string: Hello, level\nGot string size: 0\nRead string: \n");
    // Only the byte 1 is true.
    for (const bool expected : {false, true, false, false}) {
        bool b = !expected;
        ASSERT_TRUE(m.read(b));
        EXPECT_EQ(b, expected);
    }
    bool b = true;
    EXPECT_FALSE(m.read(b)) << "nothing left";
    EXPECT_TRUE(b) << "a failed read leaves the target alone";
}

TEST(StorageShortReads, ReadsPastTheEnd)
{
    MemoryStorage eight;
    eight.write(7.5);
    Vector2 v(1, 2);
    EXPECT_FALSE(eight.read(v));
    EXPECT_EQ(v.x, 7.5) << "x was read before y failed";

    MemoryStorage m = memory_with({1, 2, 3});
    unsigned int u = 99;
    EXPECT_FALSE(m.read(u));
    EXPECT_EQ(m.read_position(), 0);
    EXPECT_EQ(m.bytes_left(), 3u);
    unsigned char two[2] = {};
    EXPECT_TRUE(m.read_raw(two, 2)) << "a memory storage may be read on after a short read";
    EXPECT_EQ(two[1], 2);

    LogCapture log;
    MemoryStorage cut = memory_with({5, 0, 0, 0, 'a', 'b'});
    std::string s;
    EXPECT_FALSE(cut.read(s));
    EXPECT_EQ(log.out(), "Got string size: 5\n");
}

TEST(MemoryStorage, TruncateAppendAndRewind)
{
    MemoryStorage m = memory_with({0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    unsigned char four[4];
    ASSERT_TRUE(m.read_raw(four, 4));
    m.truncate();
    EXPECT_EQ(m.bytes().size(), 4u);
    const unsigned char x = 42;
    m.write_raw(&x, 1);
    EXPECT_EQ(m.bytes(), (Bytes{0, 1, 2, 3, 42}));
    m.rewind();
    unsigned char first = 0xFF;
    ASSERT_TRUE(m.read_raw(&first, 1));
    EXPECT_EQ(first, 0);
    ASSERT_TRUE(m.read_raw(four, 4));
    m.truncate();
    EXPECT_EQ(m.bytes().size(), 5u) << "at the end truncate keeps everything";
    m.rewind();
    m.truncate();
    EXPECT_EQ(m.bytes().size(), 0u);
}

TEST(MemoryStorage, WritingItsOwnBytesWhileGrowing)
{
    MemoryStorage m = memory_with({1, 2, 3, 4});
    for (int i = 0; i < 6; ++i)
        m.write_raw(m.bytes().data(), m.bytes().size());
    ASSERT_EQ(m.bytes().size(), 4u << 6);
    for (std::size_t i = 0; i < m.bytes().size(); ++i)
        ASSERT_EQ(m.bytes()[i], i % 4 + 1) << "at " << i;
}

TEST(MemoryStorage, CopyRestMovesEverythingAfterTheReadPosition)
{
    MemoryStorage from = memory_with({9, 8, 7, 6});
    unsigned char skip;
    ASSERT_TRUE(from.read_raw(&skip, 1));
    MemoryStorage to = memory_with({1});
    copy_rest(from, to);
    EXPECT_EQ(to.bytes(), (Bytes{1, 8, 7, 6}));
    EXPECT_EQ(from.bytes_left(), 0u);
}

TEST(FileStorage, RoundTripAndRewind)
{
    LogCapture log;
    TempDir dir;
    const std::string name = dir.file("level.lev");
    {
        OutFileStorage out(name);
        out.write(std::string("walls"));
        out.write(Vector2(1, 2));
        EXPECT_TRUE(out.finish());
    }
    {
        OutFileStorage out(dir.file("empty.dat"));
    }
    EXPECT_EQ(read_file_bytes(dir.file("empty.dat")), (Bytes{0xED, 0x55, 0x5E, 0x0B})) << "only the magic number";
    EXPECT_FALSE(path_exists(dir.file("empty.dat.tmp")));
    InFileStorage in(name, false);
    EXPECT_FALSE(in.bad_magic());
    EXPECT_EQ(in.bytes_left(), 4u + 5 + 16);
    std::string s;
    Vector2 v;
    ASSERT_TRUE(in.read(s));
    ASSERT_TRUE(in.read(v));
    EXPECT_EQ(v, Vector2(1, 2));
    EXPECT_FALSE(in.read(v));
    in.rewind();
    ASSERT_TRUE(in.read(s));
    EXPECT_EQ(s, "walls");
    EXPECT_EQ(log.out().rfind("Opening file " + name + "\n", 0), 0u);
}

TEST(FileStorage, TolerantModeNamesAMissingOrForeignFile)
{
    TempDir dir;
    write_file_bytes(dir.file("foreign"), {0x01, 0x00, 0x00, 0x80, 5, 5, 5, 5});
    LogCapture log;
    InFileStorage missing(dir.file("missing.list"), true);
    EXPECT_TRUE(missing.bad_magic());
    EXPECT_EQ(log.out(), "Opening file " + dir.file("missing.list") + "\n" + "File " + dir.file("missing.list") +
                             " has the wrong magic number [mode:0] 0(not 190731757)\n");
    InFileStorage in(dir.file("foreign"), true);
    EXPECT_TRUE(in.bad_magic());
    EXPECT_NE(log.out().find("has the wrong magic number [mode:0] -2147483647(not 190731757)"), std::string::npos);
    int i = 0;
    EXPECT_FALSE(in.read(i)) << "nothing is read from a foreign file";
}

TEST(StorageDamage, HugeOrNegativeStringLengthIsNotRead)
{
    for (const Bytes& length : {Bytes{0x10, 0x27, 0, 0}, Bytes{0xFF, 0xFF, 0xFF, 0xFF}, Bytes{0x10, 0, 0, 0}}) {
        LogCapture log;
        Bytes bytes = length;
        bytes.insert(bytes.end(), 12, 'x');
        MemoryStorage m = memory_with(bytes);
        std::string s = "keep";
        EXPECT_FALSE(m.read(s));
        EXPECT_EQ(s, "keep") << "no byte of a refused string is read";
        EXPECT_TRUE(m.corrupt());
        unsigned char c;
        EXPECT_FALSE(m.read_raw(&c, 1)) << "a corrupt storage reads nothing more";
    }
    LogCapture log;
    MemoryStorage longest;
    longest.write(std::string(9999, 'q'));
    std::string s;
    EXPECT_TRUE(longest.read(s));
    EXPECT_EQ(s.size(), 9999u);
    EXPECT_TRUE(longest.write_failure().empty());

    // One byte more could not be read back: the write fails, and so does
    // every read of what the storage holds.
    MemoryStorage too_long;
    too_long.write(1);
    too_long.write(std::string(10000, 'q'));
    EXPECT_EQ(too_long.write_failure(), "a string of 10000 bytes is too long to be read back");
    int i = 0;
    EXPECT_FALSE(too_long.read(i));
}

TEST(StorageDamage, CountsBeyondTheRemainingBytesAreRefused)
{
    LogCapture log;
    MemoryStorage m;
    m.write(3);
    for (int i = 0; i < 3; ++i)
        m.write(Vector2(i, i));
    int count = 0;
    ASSERT_TRUE(m.read_count(count, 16));
    EXPECT_EQ(count, 3);

    MemoryStorage huge;
    huge.write(0x7FFFFFFF);
    huge.write(Vector2());
    EXPECT_FALSE(huge.read_count(count, 16));
    EXPECT_TRUE(huge.corrupt());

    MemoryStorage negative;
    negative.write(-1);
    EXPECT_FALSE(negative.read_count(count, 1));

    MemoryStorage one_short;
    one_short.write(2u);
    one_short.write(Vector2());
    unsigned int ucount = 0;
    EXPECT_FALSE(one_short.read_count(ucount, 16));

    MemoryStorage empty_list;
    empty_list.write(0u);
    EXPECT_TRUE(empty_list.read_count(ucount, 16));
    EXPECT_EQ(ucount, 0u);
}

// A strict reader of a file with a wrong magic number, one read past the end
// of a file, and one whose file changed under it read nothing more.
TEST(StorageDamage, StrictBadMagicShortReadsAndAChangedMagicFailTheFile)
{
    TempDir dir;
    write_file_bytes(dir.file("bad"), {1, 2, 3, 4, 0, 0, 0, 0});
    write_file_bytes(dir.file("short"), file_with_magic({1, 0, 0}));
    write_file_bytes(dir.file("changing"), file_with_magic({1, 0, 0, 0}));
    LogCapture log;
    int i = 7;
    InFileStorage bad(dir.file("bad"), false);
    EXPECT_FALSE(bad.bad_magic()) << "the flag belongs to tolerant mode";
    EXPECT_TRUE(bad.corrupt());
    EXPECT_FALSE(bad.read(i));

    InFileStorage short_file(dir.file("short"), false);
    EXPECT_FALSE(short_file.read(i));
    bool b = false;
    EXPECT_FALSE(short_file.read(b)) << "file streams stay failed";

    InFileStorage changing(dir.file("changing"), false);
    ASSERT_TRUE(changing.read(i));
    write_file_bytes(dir.file("changing"), {0, 0, 0, 0, 1, 0, 0, 0});
    changing.rewind();
    EXPECT_NE(log.out().find("File has the wrong magic number after rewind (strange)\n"), std::string::npos);
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
        out.write(1);
        EXPECT_FALSE(out.finish());
    }
    EXPECT_NE(log.err().find("Cannot write " + dir.file("no-such-folder/highscores.list")), std::string::npos);
    EXPECT_EQ(read_file_bytes(name), file_with_magic({7}));

    {
        OutFileStorage out(name);
        out.write(std::string(10000, 'x'));
        out.write(5);
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
    SDL_MouseMotionEvent& motion = events[0].motion;
    motion.type = SDL_MOUSEMOTION;
    motion.x = 1000;
    motion.y = 700;
    motion.xrel = -3;
    motion.yrel = 250;
    SDL_MouseButtonEvent& button = events[1].button;
    button.type = SDL_MOUSEBUTTONUP;
    button.button = SDL_BUTTON_RIGHT;
    button.x = 12;
    button.y = 34;
    SDL_keysym& key = events[2].key.keysym;
    events[2].type = SDL_KEYDOWN;
    key.sym = SDLK_SPACE;
    key.mod = static_cast<SDLMod>(KMOD_LSHIFT | KMOD_NUM);
    key.unicode = 0x263A;
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
