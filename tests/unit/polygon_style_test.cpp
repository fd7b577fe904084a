#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "render/polygon_style.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

// A temporary game folder, current while the test runs.
class PolygonStyleFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        old_folder = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    void TearDown() override { std::filesystem::current_path(old_folder); }

    void write_info(const std::string& style, const std::string& text)
    {
        std::filesystem::create_directories("styles/polygon/" + style);
        std::ofstream("styles/polygon/" + style + "/info") << text;
    }

    TempDir dir;
    std::filesystem::path old_folder;
};

void expect_numbers(const PolygonStyle& style, double edge, double light, double main, double scroll_s,
                    double scroll_t)
{
    EXPECT_EQ(style.edge_width, edge);
    EXPECT_EQ(style.light_width, light);
    EXPECT_EQ(style.main_scale, main);
    EXPECT_EQ(style.scroll_s, scroll_s);
    EXPECT_EQ(style.scroll_t, scroll_t);
}

}  // namespace

TEST_F(PolygonStyleFiles, ConstructionReadsNothing)
{
    LogCapture log;
    PolygonStyle style("wood");
    EXPECT_EQ(style.name, "wood");
    EXPECT_EQ(style.folder, "styles/polygon/wood/");
    EXPECT_TRUE(style.loops.empty());
    EXPECT_EQ(log.err(), "");
}

TEST_F(PolygonStyleFiles, InfoAcceptsAnySpacingAndIgnoresTheRest)
{
    write_info("default", "1 1 1 0 0");
    write_info("wood", "  0.125\n\t0.25   4\n\n-0.5 0.75 then anything 9 9");
    LogCapture log;
    PolygonStyle style;
    style.shift_s = 0.5;
    style.shift_t = 0.25;
    style.load_style("wood");
    expect_numbers(style, 0.125, 0.25, 4, -0.5, 0.75);
    EXPECT_EQ(style.shift_s, 0.0);
    EXPECT_EQ(style.shift_t, 0.0);
    EXPECT_EQ(style.name, "wood");
    EXPECT_EQ(style.folder, "styles/polygon/wood/");
    EXPECT_FALSE(style.textures_fetched);
    EXPECT_EQ(log.out() + log.err(), "");
}

TEST_F(PolygonStyleFiles, MissingOrShortInfoFallsBackToDefaultSilently)
{
    write_info("default", "0.0625 0.5 2 0.125 0");
    write_info("short", "0.1 0.2 3 0.4");
    std::filesystem::create_directories("styles/polygon/empty");
    LogCapture log;
    for (const char* name : {"short", "empty", "absent"}) {
        PolygonStyle style;
        style.load_style(name);
        expect_numbers(style, 0.0625, 0.5, 2, 0.125, 0);
        EXPECT_EQ(style.name, name);
        EXPECT_EQ(style.folder, "styles/polygon/default/");
    }
    EXPECT_EQ(log.out() + log.err(), "");
}

TEST_F(PolygonStyleFiles, UnreadableDefaultIsReportedOnceAndKeepsTheNumbers)
{
    write_info("wood", "0.125 0.25 4 0 0");
    LogCapture log;
    PolygonStyle style;
    style.load_style("wood");
    style.shift_s = 0.5;
    style.load_style("absent");
    expect_numbers(style, 0.125, 0.25, 4, 0, 0);
    EXPECT_EQ(style.shift_s, 0.0);
    EXPECT_EQ(style.folder, "styles/polygon/default/");
    EXPECT_EQ(log.err(), "Polygon style \"default\" is missing or unreadable\n");

    log.clear();
    write_info("default", "0.1 0.2");
    style.load_style("default");
    expect_numbers(style, 0.125, 0.25, 4, 0, 0);
    EXPECT_EQ(log.err(), "Polygon style \"default\" is missing or unreadable\n");
}

TEST(PolygonStyleAnimation, HalfAUnitPerSecondForThreeSeconds)
{
    PolygonStyle style;
    style.scroll_s = 0.5;
    for (int frame = 0; frame < 180; ++frame)
        style.animate_style(1.0 / 60.0);
    // Three seconds of 1/60 steps land one rounding short of 0.5.
    EXPECT_EQ(style.shift_s, 0.49999999999999956);
    EXPECT_EQ(style.shift_t, 0.0);
}

TEST(PolygonStyleAnimation, NegativeScrollWrapsIntoTheUnitRange)
{
    PolygonStyle style;
    style.scroll_s = -0.25;
    style.scroll_t = 1.5;
    style.animate_style(1.0);
    EXPECT_EQ(style.shift_s, 0.75);
    EXPECT_EQ(style.shift_t, 0.5);

    PolygonStyle stepped;
    stepped.scroll_s = -0.25;
    for (int frame = 0; frame < 60; ++frame)
        stepped.animate_style(1.0 / 60.0);
    EXPECT_EQ(stepped.shift_s, 0.75000000000000089);
}

TEST(PolygonStyleAnimation, NoScrollNeverMovesAndHugeScrollStaysInRange)
{
    PolygonStyle still;
    for (int frame = 0; frame < 10; ++frame)
        still.animate_style(0.5);
    EXPECT_EQ(still.shift_s, 0.0);
    EXPECT_EQ(still.shift_t, 0.0);

    PolygonStyle wild;
    wild.scroll_s = 1e300;
    wild.scroll_t = -1234567.75;
    wild.animate_style(1.0);
    EXPECT_EQ(wild.shift_s, 0.0);
    EXPECT_EQ(wild.shift_t, 0.25);
}
