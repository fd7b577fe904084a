#include <memory>

#include "support/log_capture.hpp"
#include "support/shapes.hpp"
#include "world/level_text.hpp"
#include "world/recording_helpers.hpp"
#include "world/text_cases.hpp"

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

TEST(LevelTextErrors, EachNamesItsLine)
{
    LogCapture log;
    auto cases = text_cases("level_text/errors.txt");
    ASSERT_GE(cases.size(), 30u);
    cases.emplace_back("front_matter \"" + std::string(10000, 'a') + "\"", "line 1: a string of 10000");
    for (const auto& [text, expected] : cases) {
        const std::string error = build_error(text);
        EXPECT_EQ(error.rfind(expected, 0), 0u) << text.substr(0, 80) << " gave: " << error;
    }
}
