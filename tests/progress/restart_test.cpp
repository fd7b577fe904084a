#include <gtest/gtest.h>

#include <filesystem>

#include "progress/high_score_table.hpp"
#include "progress/player_info.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/base_world.hpp"
#include "world/level_text.hpp"
#include "world/recording_helpers.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

// Portions is won by its script; its goal unlocks Sorting. The time goes into
// the table and the personal bests as the win screen puts it there, the game
// exits, and a fresh start reads everything back from the files.
TEST(Progress, AWonLevelIsRememberedAcrossARestart)
{
    LogCapture log;
    TempDir dir;
    std::filesystem::create_directories(dir.file("levels"));
    std::filesystem::copy_file(source_root / "data/levels/levels.list", dir.file("levels/levels.list"));
    ScopedCwd in_dir(dir.path());

    const std::string saved_name = current_player_name;
    current_player_name = "restart";
    ASSERT_TRUE(current_player_info().is_locked("Sorting"));

    World world;
    std::string error;
    ASSERT_TRUE(build_level(read_text(source_root / "data/levels/Portions.txt"), world, error)) << error;
    current_world = &world;
    const RunResult result = run_world(
        world, recording_helpers::parse_script(read_text(source_root / "tests/levels/Portions.script")), RunOptions{});
    current_world = nullptr;
    ASSERT_EQ(result.outcome, Outcome::win);
    EXPECT_TRUE(high_scores().submit("R-Portions", current_player_name, world.timer));
    EXPECT_TRUE(current_player_info().submit("R-Portions", world.timer));

    // Exit, then start again.
    EXPECT_TRUE(save_high_scores());
    EXPECT_TRUE(save_changed_players());
    high_scores().clear();
    load_high_scores();

    EXPECT_EQ(high_scores().get("R-Portions").player, "restart");
    EXPECT_EQ(high_scores().get("R-Portions").time, result.timer);
    EXPECT_FALSE(current_player_info().is_locked("Sorting"));
    EXPECT_TRUE(current_player_info().is_locked("Hazard"));
    EXPECT_EQ(current_player_info().personal_best("R-Portions"), result.timer);

    high_scores().clear();
    save_changed_players();
    current_player_name = saved_name;
}
