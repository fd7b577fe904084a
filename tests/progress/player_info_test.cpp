#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <vector>

#include "progress/file_name.hpp"
#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "progress/save_results.hpp"
#include "render/notice.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

using Bytes = std::vector<unsigned char>;
using Keys = std::set<std::string>;

namespace {

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

TEST(PlayerName, NamesAndFileNamesMapOneToOne)
{
    const std::pair<std::string, std::string> files[] = {
        {"Ann Lee 100.é", "Ann Lee 100.é"}, {"...", "..."}, {"a/b\\c", "a%2Fb%5Cc"}, {"a%2Fb", "a%252Fb"},
        {"..", "%2E%2E"}, {".", "%2E"}, {std::string("a\x01\n\x7F", 4), "a%01%0A%7F"}};
    for (const auto& [name, file] : files)
        EXPECT_EQ(safe_file_name(name), file);
    EXPECT_EQ(player_file_name("../x"), "playerinfo/..%2Fx.player");

    const std::string longest(max_safe_name_bytes, 'z');
    const std::vector<std::string> names{"a/b", "a%2Fb", "a%b", "%", "%25", ".", "..", ". ", std::string(1, '\0'),
                                         longest, std::string(max_safe_name_bytes / 3, '/')};
    std::set<std::string> safe;
    for (const std::string& name : names) {
        EXPECT_TRUE(name_fits_file_name(name)) << name;
        safe.insert(safe_file_name(name));
        EXPECT_EQ(name_from_safe_file_name(safe_file_name(name)), name);
    }
    EXPECT_EQ(safe.size(), names.size());
    EXPECT_FALSE(name_fits_file_name(longest + "z"));
    EXPECT_FALSE(name_fits_file_name(std::string(max_safe_name_bytes / 3 + 1, '%')));
    // File names the mapping never gives have no name.
    for (const std::string file : {"%", "%2", "a%G1", "%2f", "%41", ".", "..", "a/b"})
        EXPECT_EQ(name_from_safe_file_name(file), std::nullopt) << file;
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
    player.unlock("A"), player.unlock("Nothing");
    EXPECT_TRUE(player.unchanged());
    player.unlock("C");
    EXPECT_FALSE(player.is_locked("C"));
    EXPECT_FALSE(player.unchanged());

    // Which time is better is the high score table's rule, checked there.
    PlayerInfo best("Bob");
    EXPECT_EQ(best.personal_best("R-A"), -1);
    EXPECT_TRUE(best.submit("R-A", 12.5, false));
    EXPECT_FALSE(best.unchanged());
    EXPECT_TRUE(best.submit("R-A", 12.4, false));
    EXPECT_TRUE(best.submit("R-C", 3.0, true));
    // Times the player file would refuse are no results.
    EXPECT_FALSE(best.submit("R-D", -0.5, false));
    EXPECT_FALSE(best.submit("R-C", 1e9, true));
    EXPECT_EQ(best.personal_bests(), (std::map<std::string, double>{{"R-A", 12.4}, {"R-C", 3.0}}));
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

TEST_F(PlayerInfoFolder, ChangedPlayersSurviveARestartInsideTheFolder)
{
    const std::vector<std::string> names{"../x", "..", std::string("c\x01", 2)};
    for (const std::string& name : names)
        player_info(name).unlock_everything();
    player_info("Bob").unlock("Nothing");
    player_info("Cy").submit("P-B", 4.25, false);
    ASSERT_TRUE(restart());
    EXPECT_EQ(entries("playerinfo"), (std::set<std::string>{"..%2Fx.player", "%2E%2E.player", "c%01.player", "Cy.player"}));
    EXPECT_EQ(entries("."), (std::set<std::string>{"levels", "playerinfo"}));
    for (const std::string& name : names)
        EXPECT_TRUE(player_info(name).locked_keys().empty()) << name;
    EXPECT_EQ(player_info("Cy").personal_best("P-B"), 4.25);
    EXPECT_TRUE(player_info("Cy").is_locked("D"));

    // Before '%' was escaped, "a%b" had the file "a%b.player": still read,
    // then written under its own name.
    std::filesystem::rename("playerinfo/..%2Fx.player", "playerinfo/a%b.player");
    EXPECT_TRUE(player_info("a%b").locked_keys().empty());
    ASSERT_TRUE(restart());
    std::filesystem::remove("playerinfo/a%b.player");
    EXPECT_TRUE(player_info("a%b").locked_keys().empty());
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
    const double time = 1e9;  // no win takes such a time
    damaged.push_back(good);
    std::memcpy(damaged.back().data() + good.size() - 8, &time, 8);

    for (const Bytes& bytes : damaged) {
        write_file_bytes(path, bytes);
        log_.clear();
        EXPECT_EQ(player_info("Ann").locked_keys(), default_locked_keys()) << bytes.size();
        EXPECT_EQ(player_info("Ann").personal_best("R-A"), -1);
        EXPECT_EQ(log_.err(), "Player file " + path + " is damaged: using the defaults; the file is kept as " + path + ".bad\n");
        // Unchanged, so the exit writes nothing in its place.
        ASSERT_TRUE(restart());
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(read_file_bytes(path + ".bad"), bytes);
        std::filesystem::remove(path + ".bad");
    }
}

// That results are on disk at once, before any menu, is checked end to end
// by a forced quit on the win menu; that a failed write keeps the old file,
// with the storage. Here: a table that cannot be written does not keep the
// players from theirs, and the player hears of it.
TEST_F(PlayerInfoFolder, AFailedSaveIsReportedAndKeepsNoOneFromTheirFile)
{
    PlayerInfo& ann = player_info("Ann");
    ann.unlock("C");
    high_scores().submit("R-A", "Ann", 2.5, false);
    std::filesystem::create_directory(std::string(high_score_file) + ".tmp");
    clear_notices();
    EXPECT_FALSE(save_results_now());
    EXPECT_TRUE(std::filesystem::exists("playerinfo/Ann.player"));
    EXPECT_EQ(&player_info("Ann"), &ann);
    ASSERT_EQ(notices().size(), 1u);
    EXPECT_EQ(notices()[0].text, "Your results could not be saved");
    clear_notices();
    high_scores().clear();

    std::filesystem::remove_all("playerinfo");
    write_text("playerinfo", "");  // so that the folder cannot be made
    player_info("Bob").unlock_everything();
    log_.clear();
    EXPECT_FALSE(save_changed_players());
    EXPECT_NE(log_.err().find("Cannot create the folder playerinfo: "), std::string::npos) << log_.err();
}
