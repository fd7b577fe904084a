#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include <sys/wait.h>

#include "storage/file_storage.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "world/level_text.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace {

std::vector<unsigned char> record(const World& world)
{
    MemoryStorage storage;
    world.save(storage);
    return storage.bytes();
}

// Dumps the world, builds the text again and compares the records.
void expect_round_trip(const World& world)
{
    const std::string text = dump_level(world);
    World built;
    std::string error;
    ASSERT_TRUE(build_level(text, built, error)) << error << "\n" << text;
    EXPECT_EQ(record(built), record(world)) << text;
    EXPECT_EQ(dump_level(built), text);
}

template <typename P>
P square(double x0, double y0, double size)
{
    P p;
    p.points = {{x0, y0}, {x0 + size, y0}, {x0 + size, y0 + size}, {x0, y0 + size}};
    p.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    return p;
}

std::unique_ptr<World> built_from(const std::string& text)
{
    auto world = std::make_unique<World>();
    std::string error;
    EXPECT_TRUE(build_level(text, *world, error)) << error;
    return world;
}

std::string build_error(const std::string& text)
{
    World world;
    std::string error;
    EXPECT_FALSE(build_level(text, world, error)) << text;
    return error;
}

}  // namespace

TEST(LevelTextRoundTrip, ADefaultWorldIsOneCommentLine)
{
    LogCapture log;
    World world;
    EXPECT_EQ(dump_level(world), "# Slivermere level\n");
    expect_round_trip(world);
}

TEST(LevelTextRoundTrip, EveryKindOfPolygonCutStateGoalBitsAndOddNumbers)
{
    LogCapture log;
    World world;
    world.gravity = Vector2(0.25, -2);
    world.bounds_min = Vector2(-3, -1.5);
    world.bounds_max = Vector2(5, 4);
    world.camera = Vector2(123, -0.0);  // kept as given, not clamped
    world.timer.time = 12.5;
    world.timer.countdown = true;

    PhysicsPolygon body = square<PhysicsPolygon>(0.1, 0.2, 0.5);
    body.style_name = "wood";
    body.angle = 0.3;
    body.velocity = Vector2(1e-300, -5e-324);
    body.update_mass_properties();
    body.angular_velocity = -0.0;
    body.item.name = "Gold bar";
    body.item.amount = 0.1 + 0.2;
    body.item.flag = true;
    world.physics_polygons.push_back(body);

    PhysicsPolygon clockwise = square<PhysicsPolygon>(0, 0, 1);
    clockwise.edges = {{1, 0}, {2, 1}, {3, 2}, {0, 3}};
    clockwise.mass = 7;
    clockwise.moment = 2e-18;
    clockwise.density = 5e-324;
    clockwise.toughness = -0.0;
    world.physics_polygons.push_back(clockwise);
    PhysicsPolygon pointless;  // no points at all
    pointless.mass = 1;
    pointless.moment = 1;
    world.physics_polygons.push_back(pointless);

    StaticPolygon wall = square<StaticPolygon>(-1, -1, 2);
    wall.edges.emplace(0, 2);  // more than a ring
    wall.rotation = Rotation{-0.0, 1, -1, 0};  // not the angle's
    wall.bbox_min = Vector2(DBL_MAX, DBL_MAX);  // stale box
    wall.bbox_max = Vector2(std::bit_cast<double>(std::uint64_t{0x7ff0000000000123}), -0.0);  // a NaN with a payload
    world.static_polygons.push_back(wall);
    StaticPolygon loose = square<StaticPolygon>(0, 0, 1);
    loose.edges.clear();
    loose.texture_offset = Vector2(0.5, 0.5);
    world.static_polygons.push_back(loose);

    GoalPolygon goal = square<GoalPolygon>(2, 2, 0.5);
    goal.style_name = "goal";
    goal.cut_drag = 3;
    world.goals.push_back(goal);

    // A body half cut with the sword inside, contacts and forces pending.
    PhysicsPolygon cut = square<PhysicsPolygon>(0, 0, 1);
    cut.update_mass_properties();
    cut.sword_inside = true;
    cut.inside_point_count = -3;
    cut.cut_pending = true;
    cut.last_sword_pos = Vector2(0.1, 0.2);
    cut.points.push_back(cut.last_sword_pos);
    cut.edges.emplace(4, 0);
    cut.edges.emplace(0, 4);  // a slit
    cut.torque = 1;
    cut.force = Vector2(2, 3);
    cut.angular_impulse = 4;
    cut.impulse = Vector2(5, 6);
    cut.contacts = {{Vector2(1, 2), Vector2(0, -1)}, {Vector2(3, 4), Vector2(1, 0)}};
    world.physics_polygons.push_back(cut);

    world.sword.position = Vector2(0.5, 0.5);
    world.sword.velocity = Vector2(3, -1);
    world.sword.direction = Vector2(0, 1);
    world.sword.total_drag = 0.5;
    world.sword.inside_count = INT_MIN;
    world.sword.cannot_cut = true;
    world.sword.cannot_cut_fade = 0.7;
    world.sword.trail = {{Vector2(0.5, 0.5), 0.016}, {Vector2(0.4, 0.5), 0.032}};

    GoalPolygon done = square<GoalPolygon>(0, 0, 1);
    done.done = true;
    done.target.required = true;
    done.target.losing = true;
    done.target.unlocks = true;
    done.target.name = "secret level";
    done.target.flag = true;
    GoalTargetInfoBit plain;
    GoalTargetInfoBit odd;
    odd.count = -1;
    odd.amount = 0;
    odd.tolerance = 1e-9;
    odd.name = "";
    odd.matched = INT_MAX;
    done.target.bits = {plain, odd};
    world.goals.push_back(done);
    expect_round_trip(world);
}

TEST(LevelTextRoundTrip, EveryFrameOfAGameInProgress)
{
    LogCapture log;
    std::unique_ptr<World> game = built_from(R"(
        gravity 0 -0.5
        sword
          position -1 0
        body
          style wood
          points -0.4 -0.3  0.4 -0.3  0.4 0.3  -0.4 0.3
          item Wood 2
        wall
          points -2 -1.1  2 -1.1  2 -0.9  -2 -0.9
        goal
          points 1.2 -0.9  1.9 -0.9  1.9 -0.2  1.2 -0.2
          required
          bit Wood count 0 amount 1 tolerance 0.5
    )");
    InputScript script;
    script.frames.resize(1);
    // A fast stroke right through the body, then nothing while the pieces fall.
    for (int frame = 0; frame < 150; ++frame) {
        script.frames[0].events.clear();
        if (frame < 30) {
            SDL_Event motion{};
            motion.type = SDL_MOUSEMOTION;
            motion.motion.xrel = 150;
            script.frames[0].events.push_back(motion);
        }
        run_world(*game, script, RunOptions{});
        expect_round_trip(*game);
        if (HasFailure())
            FAIL() << "frame " << frame;
    }
    EXPECT_GT(game->physics_polygons.size(), 1u) << "the stroke cut the body";
}

TEST(LevelTextRoundTrip, StringsKeepEveryByte)
{
    LogCapture log;
    World world;
    world.front_matter = "Two words, \"quotes\", a back\\slash,\na new line\tand a tab";
    for (int c = 0; c < 256; ++c)
        world.end_matter += static_cast<char>(c);
    PhysicsPolygon p = square<PhysicsPolygon>(0, 0, 1);
    p.update_mass_properties();
    p.item.name = "Crème brûlée #1";
    p.style_name = std::string(9999, 'x');
    world.physics_polygons.push_back(p);
    expect_round_trip(world);
    EXPECT_EQ(dump_level(world).find('\r'), std::string::npos);
}

TEST(LevelTextBuild, LeftOutFieldsAreComputedOrDefault)
{
    LogCapture log;
    std::unique_ptr<World> level = built_from(R"(
        bounds 0 0 10 3   # a wide level; the camera starts at its left end
        body
          points 0 0  2 0  2 1  0 1
          angle 0.5
    )");
    ASSERT_EQ(level->physics_polygons.size(), 1u);
    const PhysicsPolygon& p = level->physics_polygons[0];
    PhysicsPolygon expected = square<PhysicsPolygon>(0, 0, 1);
    expected.points = {{0, 0}, {2, 0}, {2, 1}, {0, 1}};
    expected.angle = 0.5;
    expected.rotation = Rotation{std::cos(0.5), std::sin(0.5), -std::sin(0.5), std::cos(0.5)};
    expected.update_mass_properties();
    EXPECT_EQ(p.mass, 200);
    EXPECT_EQ(p.moment, expected.moment);
    EXPECT_EQ(p.position, expected.position) << "the origin moved to the centroid";
    EXPECT_EQ(p.points[0], Vector2(-1, -0.5));
    EXPECT_EQ(p.edges, expected.edges) << "a ring in point order";
    EXPECT_EQ(p.bbox_max, Vector2(1, 0.5));
    EXPECT_EQ(p.cut_drag, 0.5);
    EXPECT_EQ(p.last_sword_pos, Vector2(-p.position.x * std::cos(0.5) - p.position.y * std::sin(0.5),
                                        p.position.x * std::sin(0.5) - p.position.y * std::cos(0.5)))
        << "where the sword starts, (0, 0), in the body's frame";
    EXPECT_EQ(level->camera, Vector2(1.33203125, 1));
    EXPECT_EQ(level->edit_view_centre, Vector2(5, 1.5));
    EXPECT_EQ(level->sword.trail.size(), 1u);

    std::unique_ptr<World> given = built_from("body\n points 0 0 1 0 1 1 0 1\n mass 3\n");
    EXPECT_EQ(given->physics_polygons[0].mass, 3);
    EXPECT_EQ(given->physics_polygons[0].position, Vector2(0.5, 0.5)) << "moment left out: still computed";
}

TEST(LevelTextErrors, EachNamesItsLine)
{
    LogCapture log;
    const std::pair<const char*, const char*> cases[] = {
        {"gravity 0 -1\nfrobnicate 3", "line 2: unknown field 'frobnicate'"},
        {"\n\ngravity 0 x", "line 3: 'gravity' needs a number, not 'x'"},
        {"gravity 0", "line 1: 'gravity' needs a number after '0'"},
        {"camera 1 2 3", "line 1: 'camera' has extra text '3'"},
        {"front_matter \"open", "line 1: a string is not closed"},
        {"front_matter \"a\\qb\"", "line 1: unknown escape \\q"},
        {"front_matter \"a\"b", "line 1: text right after a closing quote"},
        {"time 1\ntime 2", "line 2: 'time' is given twice (first on line 1)"},
        {"time 1\ncountdown 2", "line 2: give either 'time' or 'countdown'"},
        {"body\n  gravity 0 -1", "line 2: 'gravity' is a level field"},
        {"sword\nsword", "line 2: a level has one sword block"},
        {"wall extra", "line 1: 'wall' starts a block"},
        {"wall\n points 0 0 1 0 1 1\n edges 0 1\n edges 1 3", "line 4: edge 1 3 names a point"},
        {"wall\n points 0 0 1 0 inf 1", "line 2: points must be finite"},
        {"wall\n points 0 0 1", "line 2: 'points' needs a number after '1'"},
        {"body\n points 0 0 0 1 1 1 1 0\nwall", "line 1: the body's outline runs clockwise"},
        {"body\n sword_inside 2147483648", "line 2: 'sword_inside' needs a whole number"},
        {"goal\n bit Wood colour red", "line 2: 'bit' knows count, amount, tolerance and matched"},
        {"goal\n bit Wood count 1 count 2", "line 2: 'bit' gives 'count' twice"},
        {"goal\n bit Wood count 2147483647 matched 2147483647", "line 2: 'bit' with matched 2147483647 must be full"},
        {"\"gravity\" 0 1", "line 1: a line starts with a field name"},
        {"gravity nan:7ff0000000000000 0", "line 1: 'gravity' needs a number"},
        {"gravity nan:0000000000000001 0", "line 1: 'gravity' needs a number"},
        {"gravity infinity 0", "line 1: 'gravity' needs a number"},
        // What the game's loader refuses, at the line of the field at fault.
        {"body\n points 0 0 1 0 1 1 0 1\n toughness -1", "line 3: toughness is negative"},
        {"body\n points 0 0 1 0 1 1 0 1\n\n toughness inf", "line 4: toughness is out of range"},
        {"body\n density -5\n points 0 0 1 0 1 1 0 1", "line 2: density is not above zero"},
        {"body\n points 0 0 1 0 1 1 0 1\n density 0", "line 3: density is not above zero"},
        {"wall\n points 0 0 1 0 1 1 0 1\ngoal\n cut_drag -1", "line 4: cut drag is negative"},
        {"body\n points 0 0 1 0 1 1 0 1\n edges 0 1 1 2 2 3 3 0 0 2 2 0\n edges 0 2 2 0", "line 4: an edge is listed"},
        {"wall\n points 0 0 1 0 1 1 0 1\n rotation 1 0 0.5 1", "line 3: rotation is not a rotation"},
        {"wall\n points 0 0 1 0 1 1 0 1\n rotation 2 0 0 2", "line 3: rotation is not a rotation"},
        {"wall\nbody\n points 0 0 1 0 1 1 0 1\n mass 1\n moment 0", "line 5: moment is too small to turn"},
        {"sword\n position 0 0\n trail 0 0 inf", "line 1: a point of the sword's trail is out of range"},
        {"time 1\ngravity 0 inf", "line 2: gravity is out of range"},
        {"countdown inf", "line 1: time is out of range"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(build_error(text).rfind(expected, 0), 0u) << text << " gave: " << build_error(text);
    EXPECT_EQ(build_error("front_matter \"" + std::string(10000, 'a') + "\"").rfind("line 1: a string of 10000", 0),
              0u);
}

TEST(LevelTool, DumpRefusesADamagedFileAndBuildsWhatItDumps)
{
    // The tool sits beside the folder of the test binary.
    const std::filesystem::path tool =
        std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path() / "slivermere-tool";
    if (!std::filesystem::exists(tool))
        GTEST_SKIP() << "no " << tool;
    LogCapture log;
    TempDir dir;
    {
        OutFileStorage out(dir.file("good.lev"));
        built_from("front_matter \"Hello\"\nbody\n points 0 0 1 0 1 1 0 1\n")->save(out);
    }
    std::vector<unsigned char> bytes = read_file_bytes(dir.file("good.lev"));
    bytes.resize(bytes.size() - 3);
    write_file_bytes(dir.file("damaged.lev"), bytes);

    const std::string t = tool.string();
    const auto run = [&](const std::string& args) {
        return std::system((t + " level " + args + " 2>" + dir.file("err.txt")).c_str());
    };
    EXPECT_EQ(WEXITSTATUS(run("dump " + dir.file("damaged.lev") + " >" + dir.file("out.txt"))), 1);
    EXPECT_TRUE(read_file_bytes(dir.file("out.txt")).empty());
    const std::vector<unsigned char> err = read_file_bytes(dir.file("err.txt"));
    EXPECT_NE(std::string(err.begin(), err.end()).find("the file is damaged"), std::string::npos);

    ASSERT_EQ(run("dump " + dir.file("good.lev") + " >" + dir.file("good.txt")), 0);
    ASSERT_EQ(run("build " + dir.file("good.txt") + " " + dir.file("again.lev")), 0);
    EXPECT_EQ(read_file_bytes(dir.file("again.lev")), read_file_bytes(dir.file("good.lev")));

    // check: a line per finding after the file's name; errors only make it fail.
    const std::string warned = "wall\n points 0 0 0 1 1 1 1 0\n"
                               "body\n points -1.5 0.5 -1.2 0.5 -1.2 0.8\n"
                               "goal\n points -1 -1 -0.5 -1 -0.5 -0.5\n required\n bit Undefined count 0 amount 0\n";
    write_file_bytes(dir.file("warned.txt"), std::vector<unsigned char>(warned.begin(), warned.end()));
    EXPECT_EQ(WEXITSTATUS(run("check " + dir.file("warned.txt") + " >" + dir.file("out.txt"))), 0);
    EXPECT_EQ(read_text(dir.file("out.txt")),
              dir.file("warned.txt") + ": warning: wall 1 runs clockwise, so its contacts push bodies into it\n");
    EXPECT_EQ(WEXITSTATUS(run("check " + dir.file("damaged.lev") + " " + dir.file("warned.txt") + " >" +
                              dir.file("out.txt"))),
              1);
    const std::string refused = dir.file("damaged.lev") + ": error: the game refuses it: the file is damaged";
    EXPECT_EQ(read_text(dir.file("out.txt")).rfind(refused, 0), 0u);
}
