#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/file_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/level_check.hpp"
#include "world/world.hpp"

namespace {

// One screen with a floor; the blocks given follow it.
std::string level(const std::string& blocks)
{
    return "bounds -1.33203125 -1 1.33203125 1\n"
           "wall\n  points -1.34 -1.1  1.34 -1.1  1.34 -0.9  -1.34 -0.9\n" +
           blocks;
}

const std::string wood_on_floor = "body\n  points -1 -0.9  -0.8 -0.9  -0.8 -0.7  -1 -0.7\n  item Wood\n";
const std::string wood_goal =
    "goal\n  points 0.5 -0.9  1.2 -0.9  1.2 -0.6  0.5 -0.6\n  required\n  bit Wood count 0 amount 0\n";

// A square wall with a square hole; its edges follow.
const std::string frame =
    "wall\n  points -0.6 0.2  -0.2 0.2  -0.2 0.6  -0.6 0.6  -0.5 0.3  -0.5 0.5  -0.3 0.5  -0.3 0.3\n";

struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> expected;
};

}  // namespace

TEST(LevelCheck, NamesEveryFaultOfItsTestLevelsAndNothingInACleanOne)
{
    const std::vector<Case> cases = {
        {"a clean level, its body resting on the floor", level(wood_on_floor + wood_goal), {}},
        {"what the loader refuses",
         level("body\n  points 0 0  0.1 0  0.1 0.1\n  toughness -1\n" + wood_goal),
         {"error: line 6: toughness is negative"}},
        {"no required goal",
         level(wood_on_floor + "goal\n  points 0.5 -0.9  1.2 -0.9  1.2 -0.6  0.5 -0.6\n  losing\n"),
         {"error: no goal is required, so the level can never be won"}},
        {"clockwise outlines",
         level(wood_on_floor + wood_goal + "wall\n  points 0 0  0 0.1  0.1 0.1  0.1 0\n" +
               "goal\n  points 0 0.5  0 0.6  0.1 0.6  0.1 0.5\n"),
         {"warning: wall 2 runs clockwise, so its contacts push bodies into it",
          "warning: goal 2 runs the wrong way; outlines keep the inside on their left"}},
        {"frames: a hole runs clockwise, and one that does not",
         level(wood_on_floor + wood_goal + frame + "edges 0 1  1 2  2 3  3 0  4 5  5 6  6 7  7 4\n" + frame +
               "  position 0.5 0\n  edges 0 1  1 2  2 3  3 0  4 7  7 6  6 5  5 4\n"),
         {"warning: a hole in wall 3 runs counter-clockwise, so its contacts push bodies into it"}},
        {"bodies in walls: a corner inside, and a plank pushed through a post with none",
         level("body\n  points -1 -1  -0.8 -1  -0.8 -0.8  -1 -0.8\n  item Stone\n"
               "body\n  points -0.5 0.3  0.5 0.3  0.5 0.4  -0.5 0.4\n  item Stone\n"
               "wall\n  points -0.05 0  0.05 0  0.05 0.7  -0.05 0.7\n" +
               wood_on_floor + wood_goal),
         {"warning: body 1 starts overlapping wall 1", "warning: body 2 starts overlapping wall 2"}},
        {"outside the bounds, partly or wholly",
         level("body\n  points 1.25 -0.9  1.45 -0.9  1.45 -0.7  1.25 -0.7\n  item Wood\n" + wood_goal +
               "goal\n  points 0 1.2  0.2 1.2  0.2 1.4  0 1.4\n"),
         {"warning: body 1 reaches outside the level's bounds", "warning: goal 2 reaches outside the level's bounds"}},
        {"unlocks: a listed level, and one that is not",
         level(wood_on_floor + wood_goal + "goal\n  points 0 0  0.1 0  0.1 0.1\n  unlocks\n  name Secret\n" +
               "goal\n  points 0 0  0.1 0  0.1 0.1\n  unlocks\n  name Nowhere\n"),
         {"warning: goal 3 unlocks \"Nowhere\", which is no level in levels/levels.list"}},
        // 0.3 of wood gives three pieces of 0.1 (rounding aside), but no piece of 0.4 to 0.6.
        {"required goals that no items can satisfy",
         level("body\n  points -1 -0.9  -0.8 -0.9  -0.8 -0.7  -1 -0.7\n  item Wood 0.3\n"
               "goal\n  points 0 0  0.1 0  0.1 0.1\n  required\n  bit Wood count 0 amount 0.5 tolerance 0.1\n"
               "goal\n  points 0 0  0.1 0  0.1 0.1\n  required\n  bit Wood count 2 amount 0.1 tolerance 0\n"
               "  bit Stone count 0 amount 0\n  bit Wood count 0 amount nan\n"),
         {"warning: required goal 1 can never be done: no bodies' items make \"1 Wood@0.5 +/- 0.1\"",
          "warning: required goal 2 can never be done: no bodies' items make \"1 Stone\"",
          "warning: required goal 2 can never be done: no bodies' items make \"1 Wood\""}},
        {"a required goal with no bits and no body to touch it",
         level("goal\n  points 0 0  0.1 0  0.1 0.1\n  required\n"),
         {"warning: required goal 1 wants a body to touch it, and there is none"}},
        {"won with no input",
         level("body\n  points 0.6 -0.9  0.8 -0.9  0.8 -0.7  0.6 -0.7\n  item Wood\n" + wood_goal),
         {"warning: the level is won with no input at all, in 1 frame"}},
    };

    LogCapture log;
    TempDir dir;
    LevelCheckOptions options;
    options.level_list = {"Slice", "---", "Secret"};
    for (const Case& c : cases) {
        const std::string file = dir.file("level.txt");
        write_file_bytes(file, std::vector<unsigned char>(c.text.begin(), c.text.end()));
        EXPECT_EQ(finding_lines(check_level_file(file, options)), c.expected) << c.what;
    }

    // Level files: the loader's own reasons; and an unlocking goal with no list to look in.
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
    EXPECT_EQ(finding_lines(check_level_text(cases[7].text, options)), no_list);
}
