#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <vector>

#include "progress/file_name.hpp"
#include "progress/high_score_table.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

using Bytes = std::vector<unsigned char>;

namespace {

Bytes table_file(unsigned int count, const std::vector<std::string>& players, double time)
{
    MemoryStorage m;
    m.write(storage_magic), m.write(count);
    for (const std::string& player : players) {
        m.write(std::string("R-A")), m.write(player), m.write(time);
    }
    return m.bytes();
}

}  // namespace

TEST(HighScoreTable, SubmitKeepsTheEarlierOfEqualTimes)
{
    LogCapture log;
    HighScoreTable table;
    EXPECT_TRUE(table.submit("R-A", "Ann", 12.5, false));
    EXPECT_FALSE(table.submit("R-A", "Bob", 12.5, false));
    EXPECT_FALSE(table.submit("R-A", "Bob", 12.6, false));
    EXPECT_EQ(table.get("R-A").player, "Ann");
    EXPECT_TRUE(table.submit("R-A", "Bob", 12.4, false));
    EXPECT_EQ(table.get("R-A").player, "Bob");

    EXPECT_TRUE(table.submit("R-B", "Ann", 2.0, true));
    EXPECT_FALSE(table.submit("R-B", "Bob", 1.5, true));
    EXPECT_FALSE(table.submit("R-B", "Bob", 2.0, true));
    EXPECT_TRUE(table.submit("R-B", "Bob", 3.0, true));
    EXPECT_EQ(table.get("R-B").time, 3.0);
}

TEST(HighScoreFile, WithoutAFileTheTableIsEmptyAndOneWinWritesOneEntry)
{
    TempDir dir;
    LogCapture log;
    HighScoreTable table;
    EXPECT_FALSE(table.load(dir.file("highscores.list")));
    EXPECT_EQ(log.err(), "");
    EXPECT_EQ(table.get("R-A").time, -1);

    table.submit("R-First Cut", "Ann", 75.5, false);
    ASSERT_TRUE(table.save(dir.file("highscores.list")));

    HighScoreTable again;
    ASSERT_TRUE(again.load(dir.file("highscores.list")));
    EXPECT_EQ(again.get("R-First Cut").player, "Ann");
    EXPECT_EQ(again.get("R-First Cut").time, 75.5);

    write_file_bytes(dir.file("twice.list"), table_file(2, {"Ann", "Bob"}, 5.0));
    ASSERT_TRUE(again.load(dir.file("twice.list")));
    EXPECT_EQ(again.get("R-A").player, "Ann");

    // A name too long for a file name (from before the Name field was
    // limited) loses its entry, not the table.
    const std::string long_name(max_safe_name_bytes + 1, 'n');
    write_file_bytes(dir.file("long.list"), table_file(2, {long_name, "Bob"}, 5.0));
    log.clear();
    ASSERT_TRUE(again.load(dir.file("long.list")));
    EXPECT_EQ(again.get("R-A").player, "Bob");
    EXPECT_EQ(log.err(), "High score list " + dir.file("long.list") + ": skipping the result for R-A by a player name of " +
                             std::to_string(long_name.size()) + " bytes, too long for a file name\n");
}

TEST(HighScoreFile, DamagedFilesAreRefusedAndKeptAside)
{
    TempDir dir;
    const std::string path = dir.file("highscores.list");
    const Bytes good = table_file(2, {"Ann", "Bob"}, 1.0);
    Bytes trailing = good;
    trailing.push_back(0);
    std::vector<Bytes> damaged{table_file(0xFFFFFFFFu, {"Ann"}, 1.0), table_file(2, {"Ann"}, 1.0),
                               table_file(1, {"Ann"}, std::numeric_limits<double>::quiet_NaN()),
                               table_file(1, {"Ann"}, -1.0), table_file(1, {"Ann"}, 1e9), trailing};
    // Shorter than the magic number reads as no file, not as a damaged one.
    for (std::size_t size = 4; size < good.size(); ++size)
        damaged.emplace_back(good.begin(), good.begin() + static_cast<long>(size));

    for (const Bytes& bytes : damaged) {
        write_file_bytes(path, bytes);
        LogCapture log;
        HighScoreTable table;
        table.submit("R-Old", "Old", 1, false);
        EXPECT_FALSE(table.load(path)) << bytes.size();
        EXPECT_EQ(table.begin(), table.end());
        EXPECT_EQ(log.err(), "High score list " + path + " is damaged: starting with an empty table; the file is kept as " +
                                 path + ".bad\n");
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(read_file_bytes(path + ".bad"), bytes);
        std::filesystem::remove(path + ".bad");
    }

    // A second damaged file does not replace the first one kept aside.
    LogCapture log;
    HighScoreTable table;
    write_file_bytes(path, damaged[0]);
    table.load(path);
    write_file_bytes(path, damaged[1]);
    table.load(path);
    EXPECT_EQ(read_file_bytes(path + ".bad"), damaged[0]);
    EXPECT_EQ(read_file_bytes(path + ".2.bad"), damaged[1]);
}
