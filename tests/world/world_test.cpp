#include <gtest/gtest.h>

#include <cmath>

#include "progress/file_name.hpp"
#include "progress/player_info.hpp"
#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/shapes.hpp"
#include "world/text_cases.hpp"
#include "world/time_text.hpp"
#include "world/world.hpp"

namespace {

// Room around the view, and no gravity.
void make_roomy(World& world)
{
    world.bounds_min = Vector2(-10, -10);
    world.bounds_max = Vector2(10, 10);
    world.gravity = Vector2(0, 0);
}

class WorldStep : public ::testing::Test {
protected:
    void SetUp() override { make_roomy(world); }
    void step(double dt = 0.01) { world.update(dt); }
    // A box in the middle under a required goal: a win at the next step.
    void add_won_goal()
    {
        world.physics_polygons.push_back(body_box(-0.2, -0.2, 0.2, 0.2));
        GoalPolygon goal = box<GoalPolygon>(-0.5, -0.5, 0.5, 0.5);
        goal.target.required = true;
        world.goals.push_back(goal);
    }

    LogCapture log;
    World world;
};

}  // namespace

TEST(WorldRecord, LevelFilesLoadIntoAFreshWorldOrNotAtAll)
{
    LogCapture log;
    TempDir dir;
    World source;
    source.end_matter = "Well done.";
    {
        OutFileStorage out(dir.file("good.lev"));
        source.save(out);
    }
    std::unique_ptr<World> good = load_level(dir.file("good.lev"));
    ASSERT_TRUE(good);
    EXPECT_EQ(good->end_matter, "Well done.");
    EXPECT_EQ(good->file_name, dir.file("good.lev"));

    std::vector<unsigned char> bytes = read_file_bytes(dir.file("good.lev"));
    bytes.push_back(0);
    write_file_bytes(dir.file("trailing.lev"), bytes);
    // A value no level may hold is refused with the field it is in: see the
    // fuzz regressions.
    for (const auto& [name, why] : {std::pair{"missing.lev", ""}, {"trailing.lev", ": the file is damaged\n"}}) {
        EXPECT_FALSE(load_level(dir.file(name))) << name;
        EXPECT_NE(log.err().find("Cannot open level " + dir.file(name) + why), std::string::npos) << log.err();
    }
}

TEST(TimeText, MinutesOnlyWhenThereAreAnyAndWildTimesAreDashes)
{
    const auto cases = text_cases("time_text.txt");
    ASSERT_GE(cases.size(), 15u);
    for (const auto& [time, text] : cases)
        EXPECT_EQ(time_text(std::stod(time)), text) << time;
}

TEST(WorldDrag, HaltsTheSwordBeforeACrossingItCannotReach)
{
    // As if inside tough material already: 100 units of drag spend the
    // sword's energy in the first 5 thousandths of its move. Without drag
    // the sword goes in.
    LogCapture log;
    for (const double drag : {100.0, 0.0}) {
        log.clear();
        World world;
        make_roomy(world);
        world.physics_polygons.push_back(body_box(0.005, -1, 1, 1));
        world.physics_polygons[0].toughness = 0;
        world.sword.total_drag = drag;
        world.sword.inside_count = drag > 0 ? 1 : 0;
        world.sword.velocity = Vector2(1, 0);
        double dt = 0.01;
        world.update(dt);
        EXPECT_EQ(log.out().find("Drag Halt\n") != std::string::npos, drag > 0) << log.out();
        if (drag > 0) {
            EXPECT_EQ(world.sword.velocity, Vector2(0, 0));
            EXPECT_DOUBLE_EQ(world.sword.position.x, 0.01) << "it keeps the position its own update gave it";
        } else {
            EXPECT_EQ(world.sword.inside_count, 1);
            EXPECT_TRUE(world.physics_polygons[0].sword_inside);
        }
    }
}

TEST_F(WorldStep, ABodyLeftWithTwoEdgesGoesAndTheSwordCountersFollow)
{
    PhysicsPolygon sliver;
    sliver.points = {{-1, 0}, {1, 0}, {0, 0}};
    sliver.edges = {{0, 1}, {1, 0}};
    sliver.mass = sliver.moment = 1;
    sliver.sword_inside = true;
    world.physics_polygons.push_back(sliver);
    world.sword.inside_count = 1;
    world.sword.total_drag = 0.5;
    step();
    EXPECT_TRUE(world.physics_polygons.empty());
    EXPECT_EQ(world.sword.inside_count, 0);
    EXPECT_EQ(world.sword.total_drag, 0);
}

TEST_F(WorldStep, AWinBeatsALosingGoalAndATimeOutInTheSameStep)
{
    add_won_goal();
    GoalPolygon losing = world.goals[0];
    losing.target.required = false;
    losing.target.losing = true;
    world.goals.push_back(losing);
    world.timer.countdown = true;
    world.timer.time = 0.005;
    step();
    EXPECT_EQ(world.outcome, Outcome::win);
    EXPECT_NE(log.out().find("WIN!!!\n"), std::string::npos);
    EXPECT_EQ(world.physics_polygons.size(), 1u) << "a goal without bits consumes nothing";

    world.goals[0].target.required = false;
    step();
    EXPECT_EQ(world.outcome, Outcome::lose) << "a loss beats running out of time";
    world.goals[1].target.losing = false;
    step();
    EXPECT_EQ(world.outcome, Outcome::time_out);
    EXPECT_EQ(world.timer.time, 0) << "a countdown stops at zero";
    world.goals.clear();
    world.timer.countdown = false;
    step();
    EXPECT_EQ(world.outcome, Outcome::none) << "no required goal, no win";
}

// Bodies leave a level only once they are far below it: no level's game
// lets one fall that far.
TEST(WorldFall, BodiesFallAndLeaveTheLevelBelowItsBounds)
{
    LogCapture log;
    World world;
    world.physics_polygons.assign(2, body_box(-0.1, -0.1, 0.1, 0.1));
    world.physics_polygons[1].position = Vector2(0, -30);
    world.physics_polygons[1].velocity = Vector2(0, -1);
    double dt = 0.01;
    world.update(dt);
    ASSERT_EQ(world.physics_polygons.size(), 1u);
    EXPECT_DOUBLE_EQ(world.physics_polygons[0].velocity.y, -0.01) << "gravity (0, -1) for one step";
}

TEST_F(WorldStep, AWinInPlayUnlocksTheGoalsKeysForThePlayerAndWritesThemAtOnce)
{
    TempDir dir;
    ScopedCwd in_dir(dir.path());
    const std::string saved_name = current_player_name;
    current_player_name = "unlock test player";
    add_won_goal();
    world.goals[0].target.unlocks = true;
    world.goals[0].target.name = "Perfect";
    ASSERT_TRUE(current_player_info().is_locked("Perfect"));
    step();
    EXPECT_TRUE(current_player_info().is_locked("Perfect")) << "behind another screen a win unlocks nothing";

    current_world = &world;
    step();
    current_world = nullptr;
    EXPECT_FALSE(current_player_info().is_locked("Perfect"));
    EXPECT_NE(log.out().find("Unlocked: Perfect\n"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(player_file_name(current_player_name))) << "written before any menu";
    save_changed_players();
    current_player_name = saved_name;
}

// The kept layer is drawn under everything live, so what it holds must not
// change the order: a goal over a moving body, over a sliding wall or over a
// goal drawn live is drawn live too. A picture that slides changes every
// frame, so a sliding goal or body is live while it shows.
TEST(WorldDrawing, OnlyShapesWithNothingLiveUnderThemAreKeptUnderTheRest)
{
    World world;
    world.physics_polygons.push_back(body_box(0, 0, 1, 1));
    StaticPolygon lava = box<StaticPolygon>(5, 0, 6, 1);
    lava.style.scroll_s = 0.1;
    world.static_polygons.push_back(lava);
    world.static_polygons.push_back(box<StaticPolygon>(-4, 0, 0.5, 1));
    world.goals = {box<GoalPolygon>(0.5, 0, 1.5, 1),     // over the body
                   box<GoalPolygon>(1.4, 0, 2, 1),       // over that goal only
                   box<GoalPolygon>(5.5, 0, 6, 1),       // over the sliding wall
                   box<GoalPolygon>(10, 0, 11, 1),       // apart
                   box<GoalPolygon>(20, 0, 21, 1),       // fading
                   box<GoalPolygon>(30, 0, 31, 1),       // faded out
                   box<GoalPolygon>(-0.5, 1.005, 0, 2),  // a pixel above the body
                   box<GoalPolygon>(40, 0, 41, 1),       // sliding
                   box<GoalPolygon>(50, 0, 51, 1)};      // sliding, faded out
    world.goals[4].fade = 0.5;
    world.goals[5].fade = 1;
    world.goals[7].style.scroll_t = -0.25;
    world.goals[8].style.scroll_t = -0.25;
    world.goals[8].fade = 1;

    using Flags = std::vector<bool>;
    const World::Kept playing = world.kept_shapes(false);
    EXPECT_EQ(playing.bodies, Flags{false});
    EXPECT_EQ(playing.goals, (Flags{false, false, false, true, false, true, false, false, true}));
    const World::Kept edited = world.kept_shapes(true);
    EXPECT_EQ(edited.bodies, Flags{true});
    EXPECT_EQ(edited.goals, (Flags{true, true, false, true, false, true, true, false, true}));

    // A sliding body is live in the editor too, and so is a still one over it.
    world.physics_polygons.front().style.scroll_s = 0.1;
    world.physics_polygons.push_back(body_box(0.5, 0.5, 1.5, 1.5));
    world.physics_polygons.push_back(body_box(3, 0, 4, 1));
    const World::Kept sliding = world.kept_shapes(true);
    EXPECT_EQ(sliding.bodies, (Flags{false, false, true}));
    EXPECT_FALSE(sliding.goals[0]) << "over the sliding body";
}
