#include <gtest/gtest.h>

#include <memory>

#include "support/log_capture.hpp"
#include "support/shapes.hpp"
#include "world/level_text.hpp"
#include "world/recording_helpers.hpp"
#include "world/world.hpp"

using recording_helpers::record_of;

namespace {

// Dumps the world, builds the text again and compares the records.
void expect_round_trip(const World& world)
{
    const std::string text = dump_level(world);
    World built;
    std::string error;
    ASSERT_TRUE(build_level(text, built, error)) << error << "\n" << text;
    EXPECT_EQ(record_of(built), record_of(world)) << text;
    EXPECT_EQ(dump_level(built), text);
}

const std::filesystem::path data = source_root / "tests" / "data" / "level_text";

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

// Every kind of polygon, a body half cut with the sword inside and its forces
// pending, goal bits and odd numbers: negative zeros, denormals, a NaN with a
// payload, stale boxes, a rotation that is not the angle's.
TEST(LevelTextRoundTrip, EveryKindOfPolygonCutStateGoalBitsAndOddNumbers)
{
    LogCapture log;
    EXPECT_EQ(dump_level(World()), "# Slivermere level\n");
    const std::string text = read_text(data / "odd_values.txt");
    std::unique_ptr<World> world = built_from(text);
    EXPECT_EQ(dump_level(*world), text);
    expect_round_trip(*world);
}

TEST(LevelTextRoundTrip, StringsKeepEveryByte)
{
    LogCapture log;
    World world;
    world.front_matter = "Two words, \"quotes\", a back\\slash,\na new line\tand a tab";
    for (int c = 0; c < 256; ++c)
        world.end_matter += static_cast<char>(c);
    world.physics_polygons.push_back(body_box(0, 0, 1, 1));
    world.physics_polygons[0].item.name = "Crème brûlée #1";
    world.physics_polygons[0].style_name = std::string(9999, 'x');
    expect_round_trip(world);
    EXPECT_EQ(dump_level(world).find('\r'), std::string::npos);
}

TEST(LevelTextBuild, LeftOutFieldsAreComputedOrDefault)
{
    LogCapture log;
    // Shipped levels leave out what is computed, so their state hashes pin
    // the masses, centres, boxes, the sword's start in each body and the
    // starting camera; the editor's view is not in the record.
    EXPECT_EQ(built_from("bounds 0 0 10 3")->edit_view_centre, Vector2(5, 1.5));

    std::unique_ptr<World> given = built_from("body\n points 0 0 1 0 1 1 0 1\n mass 3\n");
    EXPECT_EQ(given->physics_polygons[0].mass, 3);
    EXPECT_EQ(given->physics_polygons[0].position, Vector2(0.5, 0.5)) << "moment left out: still computed";
}

TEST(LevelTextErrors, EachNamesItsLine)
{
    LogCapture log;
    const std::pair<std::string, const char*> cases[] = {
        {"gravity 0 -1\nfrobnicate 3", "line 2: unknown field 'frobnicate'"},
        {"\n\ngravity 0 x", "line 3: 'gravity' needs a number, not 'x'"},
        {"gravity 0", "line 1: 'gravity' needs a number after '0'"},
        {"camera 1 2 3", "line 1: 'camera' has extra text '3'"},
        {"front_matter \"open", "line 1: a string is not closed"},
        {"front_matter \"a\\qb\"", "line 1: unknown escape \\q"},
        {"front_matter \"a\"b", "line 1: text right after a closing quote"},
        {"front_matter \"" + std::string(10000, 'a') + "\"", "line 1: a string of 10000"},
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
    for (const auto& [text, expected] : cases) {
        const std::string error = build_error(text);
        EXPECT_EQ(error.rfind(expected, 0), 0u) << text.substr(0, 80) << " gave: " << error;
    }
}
