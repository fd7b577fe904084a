#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "world/level_check.hpp"
#include "world/text_cases.hpp"
#include "world/world.hpp"

const std::filesystem::path levels = source_root / "tests" / "data" / "level_check";

TEST(LevelCheck, NamesEveryFaultOfItsTestLevelsAndNothingInACleanOne)
{
    LogCapture log;
    LevelCheckOptions options;
    options.level_list = {"Slice", "---", "Secret"};
    int checked = 0;
    for (const auto& entry : std::filesystem::directory_iterator(levels)) {
        const std::string file = entry.path().string();
        EXPECT_EQ(finding_lines(check_level_file(file, options)), prefixed_lines(read_text(file), "# finding: ")) << file;
        ++checked;
    }
    EXPECT_GE(checked, 11);

    // Level files: the loader's own reasons; and an unlocking goal with no list to look in.
    TempDir dir;
    EXPECT_EQ(finding_lines(check_level_file(dir.file("missing.lev"), options)),
              std::vector<std::string>{"error: the game refuses it: not a level file or missing"});
    World world;
    world.physics_polygons.resize(1);
    world.physics_polygons[0].toughness = -1;
    OutFileStorage out(dir.file("tough.lev"));
    world.save(out);
    ASSERT_TRUE(out.finish());
    EXPECT_EQ(finding_lines(check_level_file(dir.file("tough.lev"), options)),
              std::vector<std::string>{"error: the game refuses it: the file is damaged (toughness is negative)"});
    options.level_list.clear();
    const std::vector<std::string> no_list = {
        "warning: goal 2 unlocks \"Secret\", but there is no level list at levels/levels.list",
        "warning: goal 3 unlocks \"Nowhere\", but there is no level list at levels/levels.list"};
    EXPECT_EQ(finding_lines(check_level_text(read_text(levels / "unlocks.txt"), options)), no_list);
}
