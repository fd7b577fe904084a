#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "geometry/goal_polygon.hpp"
#include "render/font_maker.hpp"
#include "render/gl.hpp"
#include "render/png.hpp"
#include "render/texture_font.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

void flat_png(const std::string& path, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a)
{
    std::vector<std::uint8_t> rgba;
    for (int i = 0; i < 16; ++i)
        rgba.insert(rgba.end(), {r, g, b, a});
    ASSERT_TRUE(save_png(path, 4, 4, rgba));
}

// Runs in a folder with a red goal style and a "tag.txf"; the style name is
// unique because the texture cache lasts for the whole test program.
class GoalDraw : public GlTest {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        old_folder = new std::filesystem::path(std::filesystem::current_path());
        std::filesystem::current_path(folder->path());
        const std::string style = "styles/polygon/goal_draw_red/";
        std::filesystem::create_directories(style);
        std::ofstream(style + "info") << "0.1 0.1 1 0 0";
        flat_png(style + "main.png", 255, 0, 0, 255);
        for (const char* band : {"edge.png", "cut.png", "light.png"})
            flat_png(style + band, 0, 0, 0, 0);
        std::string error;
        const auto font = make_texture_font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 32, error);
        ASSERT_TRUE(font) << error;
        ASSERT_TRUE(save_texture_font("tag.txf", *font));
    }
    static void TearDownTestSuite()
    {
        free_fonts();
        std::filesystem::current_path(*old_folder);
        delete old_folder;
        delete folder;
    }

    static GoalPolygon red_square()
    {
        GoalPolygon g;
        g.points = {{-0.3, -0.3}, {0.3, -0.3}, {0.3, 0.3}, {-0.3, 0.3}};
        g.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
        g.style_name = "goal_draw_red";
        g.style.load_style(g.style_name);
        g.trace_loops(g.style);
        return g;
    }

    // Largest red and green over the window pixels of a box in screen units.
    static void brightest(double x0, double y0, double x1, double y1, int& red, int& green)
    {
        int width = 0, height = 0;
        const std::vector<std::uint8_t> rgba = read_rgba(width, height);
        int px0 = 0, py0 = 0, px1 = 0, py1 = 0;
        to_pixel(x0, y0, px0, py0);
        to_pixel(x1, y1, px1, py1);
        red = green = 0;
        for (int y = py0; y <= py1; ++y)
            for (int x = px0; x <= px1; ++x) {
                const std::size_t at = (static_cast<std::size_t>(height - 1 - y) * width + x) * 4;
                red = std::max<int>(red, rgba[at]);
                green = std::max<int>(green, rgba[at + 1]);
            }
    }

    static inline TempDir* folder = nullptr;
    static inline std::filesystem::path* old_folder = nullptr;
};

}  // namespace

TEST_F(GoalDraw, FadeTakesTheGoalAway)
{
    LogCapture log;
    GoalPolygon g = red_square();
    g.fade = 1.0;
    g.draw();
    EXPECT_EQ(red_of(pixel_at_units(0, 0)), 0) << "a done goal that has faded out";
    g.fade = 0.75;
    g.draw();
    EXPECT_NEAR(red_of(pixel_at_units(0, 0)), 64, 2);
    glClear(GL_COLOR_BUFFER_BIT);
    g.fade = 0.0;
    g.draw();
    EXPECT_EQ(red_of(pixel_at_units(0, 0)), 255);
    EXPECT_EQ(red_of(pixel_at_units(0.35, 0)), 0);
}

TEST_F(GoalDraw, TagBoxHoldsOneLinePerBitAroundItsPosition)
{
    LogCapture log;
    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    GoalPolygon g = red_square();
    GoalTargetInfoBit done_bit;
    done_bit.count = 0;
    done_bit.matched = 1;
    done_bit.name = "Gold";
    GoalTargetInfoBit open_bit;
    open_bit.name = "Ore";
    open_bit.amount = 2;
    open_bit.tolerance = 0.5;
    g.target.bits = {done_bit, open_bit};
    g.target.tag_position = Vector2(0.2, 0.1);
    g.target.draw_tag();

    const double half_w = std::max(g.target.tag_font.text_width(done_bit.describe(), 0.07),
                                   g.target.tag_font.text_width(open_bit.describe(), 0.07)) / 2;
    ASSERT_GT(half_w, 0.1) << "the font measures text";
    // Two lines of 0.07 and a margin of 0.02: half a height of 0.09.
    EXPECT_NEAR(red_of(pixel_at_units(0.2, 0.1 + 0.085)), 77, 2) << "black at 0.7 over white";
    EXPECT_NEAR(red_of(pixel_at_units(0.2, 0.1 - 0.085)), 77, 2);
    EXPECT_EQ(red_of(pixel_at_units(0.2, 0.1 + 0.095)), 255);
    EXPECT_EQ(red_of(pixel_at_units(0.2, 0.1 - 0.095)), 255);
    EXPECT_NEAR(red_of(pixel_at_units(0.2 - half_w - 0.015, 0.18)), 77, 2);
    EXPECT_NEAR(red_of(pixel_at_units(0.2 + half_w + 0.015, 0.18)), 77, 2);
    EXPECT_EQ(red_of(pixel_at_units(0.2 - half_w - 0.025, 0.18)), 255);
    EXPECT_EQ(red_of(pixel_at_units(0.2 + half_w + 0.025, 0.18)), 255);

    int red = 0, green = 0;
    brightest(0.2 - half_w, 0.1 + 0.005, 0.2 + half_w, 0.1 + 0.065, red, green);
    EXPECT_GT(green, 220) << "the satisfied first line is green";
    EXPECT_LT(red, 150);
    brightest(0.2 - half_w, 0.1 - 0.065, 0.2 + half_w, 0.1 - 0.005, red, green);
    EXPECT_NEAR(red, 127, 4) << "the open second line is grey";
    EXPECT_NEAR(green, 127, 4);
}
