#include <gtest/gtest.h>

#include <cmath>

#include "progress/file_name.hpp"
#include "progress/player_info.hpp"
#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/shapes.hpp"
#include "support/test_support.hpp"
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

}  // namespace

TEST(WorldRecord, LoadingResizesTheArraysAndClampsTheCamera)
{
    LogCapture log;
    World source;
    source.physics_polygons.push_back(body_box(0, 0, 1, 1));
    source.static_polygons.push_back(box<StaticPolygon>(-2, -1, 2, -0.8));
    source.static_polygons.push_back(box<StaticPolygon>(-2, 0.8, 2, 1));
    source.bounds_min = Vector2(-1, -3);
    source.bounds_max = Vector2(1, 5);
    source.camera = Vector2(7, -2.5);
    MemoryStorage storage;
    source.save(storage);

    World target;
    for (int i = 0; i < 3; ++i)
        target.physics_polygons.push_back(body_box(0, 0, 2, 2));
    ASSERT_TRUE(target.load(storage));
    EXPECT_EQ(target.physics_polygons.size(), 1u);
    EXPECT_EQ(target.static_polygons.size(), 2u);
    EXPECT_DOUBLE_EQ(target.physics_polygons[0].mass, 100);
    // Bounds narrower than the screen: the right side wins.
    EXPECT_EQ(target.camera.x, 1 - 1.33203125);
    EXPECT_EQ(target.camera.y, -2);
    EXPECT_EQ(target.edit_view_centre, Vector2(0, 1));
}

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

    EXPECT_FALSE(load_level(dir.file("missing.lev")));
    std::vector<unsigned char> bytes = read_file_bytes(dir.file("good.lev"));
    bytes.push_back(0);
    write_file_bytes(dir.file("trailing.lev"), bytes);
    EXPECT_FALSE(load_level(dir.file("trailing.lev")));
    EXPECT_NE(log.err().find("Cannot open level " + dir.file("missing.lev")), std::string::npos);
    EXPECT_NE(log.err().find("Cannot open level " + dir.file("trailing.lev") + ": the file is damaged\n"),
              std::string::npos);

    // A value no level may hold: refused with the field it is in.
    source.physics_polygons.push_back(body_box(0, 0, 1, 1));
    source.physics_polygons.back().toughness = -1;
    {
        OutFileStorage out(dir.file("negative.lev"));
        source.save(out);
    }
    EXPECT_FALSE(load_level(dir.file("negative.lev")));
    EXPECT_NE(log.err().find("Cannot open level " + dir.file("negative.lev") +
                             ": the file is damaged (toughness is negative)\n"),
              std::string::npos)
        << log.err();
}

TEST(LevelTimer, CountdownUrgencyAndStop)
{
    LevelTimer timer;
    timer.countdown = true;
    timer.time = 0.4;
    EXPECT_NEAR(timer.urgency(), 0.9216, 1e-12);
    timer.update(0.3);
    EXPECT_NEAR(timer.time, 0.1, 1e-12);
    timer.update(0.3);
    EXPECT_EQ(timer.time, 0);
    timer.update(0.3);
    EXPECT_EQ(timer.time, 0);
    EXPECT_EQ(timer.urgency(), 1);

    LevelTimer up;
    for (int i = 0; i < 1000; ++i)
        up.update(0.5);
    EXPECT_EQ(up.time, 500);
    EXPECT_EQ(up.urgency(), 0);
    EXPECT_GE(up.phase, 0);
    EXPECT_LE(up.phase, 2 * 3.14159265358979323846);
}

TEST(TimeText, MinutesOnlyWhenThereAreAny)
{
    EXPECT_EQ(time_text(75.5), "1:15.500");
    EXPECT_EQ(time_text(5.25), "5.250");
    EXPECT_EQ(time_text(0.007), "0.007");
    EXPECT_EQ(time_text(0), "0.000");
    EXPECT_EQ(time_text(600.05), "10:00.049") << "truncated, never rounded";
    EXPECT_EQ(time_text(61.5), "1:01.500");
    EXPECT_EQ(time_text(69.5), "1:09.500");
    // Damaged files and the editor's timer field: one sign in front, and no
    // overflow of the whole minutes for times no level can hold.
    EXPECT_EQ(time_text(-1.5), "-1.500");
    EXPECT_EQ(time_text(-75.5), "-1:15.500");
    EXPECT_EQ(time_text(999999999.5), "16666666:39.500");
    for (double wild : {1e9, -1e9, 1e300, -HUGE_VAL, HUGE_VAL, double(NAN)})
        EXPECT_EQ(time_text(wild), "--.---") << wild;
    EXPECT_TRUE(plausible_result_time(0));
    EXPECT_TRUE(plausible_result_time(999999999.5));
    for (double wild : {-0.001, -1.0, 1e9, HUGE_VAL, double(NAN)})
        EXPECT_FALSE(plausible_result_time(wild)) << wild;
}

TEST(WorldStep, CameraFollowsTheSwordThroughItsSoftMargin)
{
    LogCapture log;
    for (const auto& [offset, camera] : {std::pair{0.05, -0.85}, std::pair{0.5, -0.1}}) {
        World world;
        make_roomy(world);
        world.sword.position = Vector2(-1.33203125 + offset, 0);
        double dt = 0.015;
        world.update(dt);
        EXPECT_NEAR(world.camera.x, camera, 1e-12) << offset;
    }
}

TEST(WorldStep, TheSwordStaysInsideTheLevel)
{
    LogCapture log;
    World world;
    make_roomy(world);
    world.sword.position = Vector2(9.99, 0);
    world.sword.velocity = Vector2(4, 0);
    double dt = 0.015;
    world.update(dt);
    EXPECT_EQ(world.sword.position.x, 10);
    EXPECT_LT(world.sword.velocity.x, 0) << "bounced back at a tenth of its speed";
    EXPECT_GT(world.sword.velocity.x, -0.4);
}

TEST(WorldStep, DragHaltsTheSwordBeforeACrossingItCannotReach)
{
    for (const double drag : {100.0, 0.0}) {
        LogCapture log;
        World world;
        make_roomy(world);
        world.physics_polygons.push_back(body_box(0.005, -1, 1, 1));
        world.physics_polygons[0].toughness = 0;
        // As if inside tough material already: 100 units of drag spend the
        // sword's energy in the first 5 thousandths of its move.
        world.sword.total_drag = drag;
        world.sword.inside_count = drag > 0 ? 1 : 0;
        world.sword.velocity = Vector2(1, 0);
        double dt = 0.01;
        world.update(dt);
        if (drag > 0) {
            EXPECT_NE(log.out().find("Drag Halt\n"), std::string::npos) << log.out();
            EXPECT_EQ(world.sword.velocity, Vector2(0, 0));
            EXPECT_DOUBLE_EQ(world.sword.position.x, 0.01) << "it keeps the position its own update gave it";
        } else {
            EXPECT_EQ(log.out().find("Drag Halt"), std::string::npos);
            EXPECT_EQ(world.sword.inside_count, 1) << "the sword went in";
            EXPECT_TRUE(world.physics_polygons[0].sword_inside);
        }
    }
}

TEST(WorldStep, ABodyLeftWithTwoEdgesGoesAndTheSwordCountersFollow)
{
    LogCapture log;
    World world;
    make_roomy(world);
    PhysicsPolygon sliver;
    sliver.points = {{-1, 0}, {1, 0}, {0, 0}};
    sliver.edges = {{0, 1}, {1, 0}};
    sliver.mass = 1;
    sliver.moment = 1;
    sliver.sword_inside = true;
    sliver.last_sword_pos = Vector2(0, 0);
    world.physics_polygons.push_back(sliver);
    world.sword.inside_count = 1;
    world.sword.total_drag = 0.5;
    double dt = 0.01;
    world.update(dt);
    EXPECT_TRUE(world.physics_polygons.empty());
    EXPECT_EQ(world.sword.inside_count, 0);
    EXPECT_EQ(world.sword.total_drag, 0);
}

TEST(WorldStep, AWinBeatsALosingGoalAndATimeOutInTheSameStep)
{
    LogCapture log;
    World world;
    make_roomy(world);
    world.physics_polygons.push_back(body_box(-0.2, -0.2, 0.2, 0.2));
    GoalPolygon required = box<GoalPolygon>(-0.5, -0.5, 0.5, 0.5);
    required.target.required = true;
    GoalPolygon losing = required;
    losing.target.required = false;
    losing.target.losing = true;
    world.goals = {required, losing};
    world.timer.countdown = true;
    world.timer.time = 0.005;
    double dt = 0.01;
    world.update(dt);
    EXPECT_EQ(world.outcome, Outcome::win);
    EXPECT_NE(log.out().find("WIN!!!\n"), std::string::npos);
    EXPECT_EQ(world.physics_polygons.size(), 1u) << "a goal without bits consumes nothing";

    world.goals[0].target.required = false;
    world.update(dt);
    EXPECT_EQ(world.outcome, Outcome::lose) << "a loss beats running out of time";
    world.goals[1].target.losing = false;
    world.update(dt);
    EXPECT_EQ(world.outcome, Outcome::time_out);
    world.goals.clear();
    world.timer.countdown = false;
    world.update(dt);
    EXPECT_EQ(world.outcome, Outcome::none) << "no required goal, no win";
}

TEST(WorldStep, BodiesFallAndLeaveTheLevelBelowItsBounds)
{
    LogCapture log;
    World world;
    world.physics_polygons.push_back(body_box(-0.1, -0.1, 0.1, 0.1));
    PhysicsPolygon far_below = body_box(-0.1, -0.1, 0.1, 0.1);
    far_below.position = Vector2(0, -30);
    far_below.velocity = Vector2(0, -1);
    world.physics_polygons.push_back(far_below);
    double dt = 0.01;
    world.update(dt);
    ASSERT_EQ(world.physics_polygons.size(), 1u);
    EXPECT_DOUBLE_EQ(world.physics_polygons[0].velocity.y, -0.01) << "gravity (0, -1) for one step";
}

TEST(WorldStep, AWinInPlayUnlocksTheGoalsKeysForThePlayerAndWritesThemAtOnce)
{
    LogCapture log;
    TempDir dir;
    ScopedCwd in_dir(dir.path());
    const std::string saved_name = current_player_name;
    current_player_name = "unlock test player";
    World* world = new World;
    make_roomy(*world);
    world->physics_polygons.push_back(body_box(-0.2, -0.2, 0.2, 0.2));
    GoalPolygon gate = box<GoalPolygon>(-0.5, -0.5, 0.5, 0.5);
    gate.target.required = true;
    gate.target.unlocks = true;
    gate.target.name = "Perfect";
    world->goals.push_back(gate);
    ASSERT_TRUE(current_player_info().is_locked("Perfect"));

    // Behind another screen a win unlocks nothing.
    double dt = 0.01;
    world->update(dt);
    EXPECT_TRUE(current_player_info().is_locked("Perfect"));

    current_world = world;
    world->update(dt);
    current_world = nullptr;
    EXPECT_FALSE(current_player_info().is_locked("Perfect"));
    EXPECT_NE(log.out().find("Unlocked: Perfect\n"), std::string::npos);
    EXPECT_TRUE(path_exists(player_file_name(current_player_name))) << "written before any menu";
    delete world;
    save_changed_players();
    current_player_name = saved_name;
}
