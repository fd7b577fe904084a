#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <vector>

#include "progress/file_name.hpp"
#include "progress/player_info.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

using Bytes = std::vector<unsigned char>;
using Keys = std::set<std::string>;

namespace {

void write_text(const std::string& path, const std::string& text)
{
    write_file_bytes(path, Bytes(text.begin(), text.end()));
}

std::set<std::string> entries(const std::string& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

// Player files live under the working folder: each test runs in a fresh one
// whose level list has five levels, the last three locked.
class PlayerInfoFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::filesystem::create_directory("levels");
        write_text("levels/levels.list", "A\nB\n---\nC\nD\nE\n");
    }
    void TearDown() override { restart(); }
    // Writes the changed records and forgets them all, as exit and start do.
    bool restart() { return save_changed_players(); }

    TempDir dir_;
    ScopedCwd in_dir_{dir_.path()};
    LogCapture log_;
};

}  // namespace

TEST(PlayerName, OnlyUnsafeNamesAreEscaped)
{
    for (const std::string name : {"Player", "", "...", "Ann Lee 100%.é"})
        EXPECT_EQ(safe_file_name(name), name);
    EXPECT_EQ(safe_file_name("../x"), "..%2Fx");
    EXPECT_EQ(safe_file_name("a/b\\c"), "a%2Fb%5Cc");
    EXPECT_EQ(safe_file_name(".."), "%2E%2E");
    EXPECT_EQ(safe_file_name("."), "%2E");
    EXPECT_EQ(safe_file_name(std::string("a\x01\n\x7F", 4)), "a%01%0A%7F");
    EXPECT_EQ(player_file_name("Ann"), "playerinfo/Ann.player");
}

TEST_F(PlayerInfoFolder, ANewPlayerHasTheDefaultsLocked)
{
    EXPECT_EQ(default_locked_keys(), (Keys{"C", "D", "E", "Edit", "Perfect"}));
    EXPECT_EQ(default_locked_keys("missing.list"), (Keys{"Edit", "Perfect"}));
    PlayerInfo& player = player_info("New");
    EXPECT_EQ(player.locked_keys(), default_locked_keys());
    EXPECT_TRUE(player.unchanged());
    EXPECT_EQ(&player_info("New"), &player);
}

TEST_F(PlayerInfoFolder, OnlyRealChangesMakeARecordChanged)
{
    PlayerInfo player("Ann");
    player.unlock("A");
    player.unlock("Nothing");
    EXPECT_TRUE(player.unchanged());
    player.unlock("C");
    EXPECT_FALSE(player.is_locked("C"));
    EXPECT_FALSE(player.unchanged());
    player.unlock_everything();
    EXPECT_TRUE(player.locked_keys().empty());

    PlayerInfo best("Bob");
    EXPECT_EQ(best.personal_best("R-A"), -1);
    EXPECT_TRUE(best.submit("R-A", 12.5, false));
    EXPECT_FALSE(best.unchanged());
    EXPECT_FALSE(best.submit("R-A", 12.5, false));
    EXPECT_TRUE(best.submit("R-A", 12.4, false));
    EXPECT_TRUE(best.submit("R-C", 2.0, true));
    EXPECT_FALSE(best.submit("R-C", 1.0, true));
    EXPECT_FALSE(best.submit("R-C", 2.0, true));
    EXPECT_TRUE(best.submit("R-C", 3.0, true));
    EXPECT_EQ(best.personal_bests(), (std::map<std::string, double>{{"R-A", 12.4}, {"R-C", 3.0}}));
}

TEST_F(PlayerInfoFolder, TheRecordHoldsKeysThenBests)
{
    PlayerInfo player("Ann");
    player.unlock_everything();
    player.submit("R-A", 1.0, false);
    MemoryStorage m;
    player.save(m);
    EXPECT_EQ(m.bytes(), (Bytes{0, 0, 0, 0, 1, 0, 0, 0, 3, 0, 0, 0, 'R', '-', 'A', 0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST_F(PlayerInfoFolder, ChangedPlayersSurviveARestart)
{
    player_info("Ann").unlock_everything();
    player_info("Bob").unlock("Nothing");
    player_info("Cy").submit("P-B", 4.25, false);
    log_.clear();
    EXPECT_TRUE(save_changed_players());
    EXPECT_EQ(log_.out(), "Trying to dump player info...\n");
    EXPECT_EQ(log_.err(), "");
    EXPECT_EQ(entries("playerinfo"), (std::set<std::string>{"Ann.player", "Cy.player"}));

    EXPECT_TRUE(player_info("Ann").locked_keys().empty());
    EXPECT_EQ(player_info("Cy").personal_best("P-B"), 4.25);
    EXPECT_TRUE(player_info("Cy").is_locked("D"));
}

TEST_F(PlayerInfoFolder, AnUnlockIsKeptWhenTheListChangedMeanwhile)
{
    player_info("Ann").unlock("C");
    ASSERT_TRUE(restart());
    write_text("levels/levels.list", "A\nB\n---\nC\n");
    // As many keys locked as a new player has, but not the same ones.
    player_info("Ann").unlock("D");
    EXPECT_FALSE(player_info("Ann").unchanged());
    ASSERT_TRUE(restart());
    EXPECT_FALSE(player_info("Ann").is_locked("D"));
}

TEST_F(PlayerInfoFolder, UnsafeNamesStayInsideTheFolder)
{
    const std::vector<std::string> names{"../x", "a/b", "..", std::string("c\x01", 2)};
    for (const std::string& name : names)
        player_info(name).unlock_everything();
    ASSERT_TRUE(restart());
    EXPECT_EQ(entries("playerinfo"), (std::set<std::string>{"..%2Fx.player", "a%2Fb.player", "%2E%2E.player", "c%01.player"}));
    EXPECT_EQ(entries("."), (std::set<std::string>{"levels", "playerinfo"}));
    for (const std::string& name : names)
        EXPECT_TRUE(player_info(name).locked_keys().empty()) << name;
}

TEST_F(PlayerInfoFolder, DamagedFilesAreRefusedAndKeptAside)
{
    player_info("Ann").unlock("C");
    player_info("Ann").submit("R-A", 1.0, false);
    ASSERT_TRUE(restart());
    const std::string path = "playerinfo/Ann.player";
    const Bytes good = read_file_bytes(path);
    std::vector<Bytes> damaged;
    for (std::size_t size = 0; size < good.size(); ++size)
        damaged.emplace_back(good.begin(), good.begin() + static_cast<long>(size));
    damaged.push_back(good);
    damaged.back().push_back(0);
    damaged.push_back(good);
    damaged.back()[7] = 0x80;  // a negative number of locked keys

    for (const Bytes& bytes : damaged) {
        write_file_bytes(path, bytes);
        log_.clear();
        EXPECT_EQ(player_info("Ann").locked_keys(), default_locked_keys()) << bytes.size();
        EXPECT_EQ(player_info("Ann").personal_best("R-A"), -1);
        EXPECT_EQ(log_.err(), "Player file " + path + " is damaged: using the defaults; the file is kept as " + path + ".bad\n");
        // Unchanged, so the exit writes nothing in its place.
        ASSERT_TRUE(restart());
        EXPECT_FALSE(path_exists(path));
        EXPECT_EQ(read_file_bytes(path + ".bad"), bytes);
        std::filesystem::remove(path + ".bad");
    }
}

TEST_F(PlayerInfoFolder, FailedWritesKeepTheOldFileAndAreReported)
{
    player_info("Ann").unlock("C");
    ASSERT_TRUE(restart());
    const Bytes old = read_file_bytes("playerinfo/Ann.player");
    std::filesystem::create_directory("playerinfo/Ann.player.tmp");
    player_info("Ann").unlock_everything();
    log_.clear();
    EXPECT_FALSE(save_changed_players());
    EXPECT_EQ(read_file_bytes("playerinfo/Ann.player"), old);
    EXPECT_EQ(log_.err().rfind("Cannot write playerinfo/Ann.player: ", 0), 0u);

    std::filesystem::remove_all("playerinfo");
    write_text("playerinfo", "");  // so that the folder cannot be made
    player_info("Ann").unlock_everything();
    log_.clear();
    EXPECT_FALSE(save_changed_players());
    EXPECT_EQ(log_.err().rfind("Cannot create the folder playerinfo: ", 0), 0u);
    EXPECT_NE(log_.err().find("Cannot write playerinfo/Ann.player: "), std::string::npos);
}
