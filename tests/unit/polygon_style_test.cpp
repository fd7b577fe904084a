#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "geometry/polygon_style.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

// A temporary game folder, current while the test runs.
class PolygonStyleFiles : public ::testing::Test {
protected:
    void write_info(const std::string& style, const std::string& text)
    {
        std::filesystem::create_directories("styles/polygon/" + style);
        std::ofstream("styles/polygon/" + style + "/info") << text;
    }

    TempDir dir;
    ScopedCwd in_dir{dir.path()};
};

// The info file's numbers, in its order.
std::vector<double> numbers(const PolygonStyle& style)
{
    return {style.edge_width, style.light_width, style.main_scale, style.scroll_s, style.scroll_t};
}

}  // namespace

TEST_F(PolygonStyleFiles, InfoTakesAnySpacingAndShortOrMissingInfoFallsBackToDefaultOrKeepsTheNumbers)
{
    LogCapture log;
    write_info("wood", "  0.125\n\t0.25   4\n\n-0.5 0.75 then anything 9 9");
    write_info("short", "0.1 0.2 3 0.4");
    PolygonStyle style;
    style.shift_s = 0.5, style.shift_t = 0.25;
    style.load_style("wood");
    EXPECT_EQ(numbers(style), (std::vector<double>{0.125, 0.25, 4, -0.5, 0.75}));
    EXPECT_EQ(style.shift_s + style.shift_t, 0.0);
    EXPECT_EQ(style.folder, "styles/polygon/wood/");
    // Without a readable default the numbers stay, and that is said each time.
    for (const char* text : {"", "0.1 0.2"}) {
        if (*text)
            write_info("default", text);
        style.load_style(*text ? "default" : "absent");
        EXPECT_EQ(numbers(style), (std::vector<double>{0.125, 0.25, 4, -0.5, 0.75}));
        EXPECT_EQ(style.folder, "styles/polygon/default/");
        EXPECT_EQ(log.err(), "Polygon style \"default\" is missing or unreadable\n");
        log.clear();
    }
    write_info("default", "0.0625 0.5 2 0.125 0");
    std::filesystem::create_directories("styles/polygon/empty");
    for (const char* name : {"short", "empty", "absent"}) {
        PolygonStyle fallback;
        fallback.load_style(name);
        EXPECT_EQ(numbers(fallback), (std::vector<double>{0.0625, 0.5, 2, 0.125, 0}));
        EXPECT_EQ(fallback.name, name);
        EXPECT_EQ(fallback.folder, "styles/polygon/default/");
    }
    EXPECT_EQ(log.out() + log.err(), "");
}
