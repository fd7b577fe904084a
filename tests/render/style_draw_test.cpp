#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include <SDL/SDL.h>
#include <gtest/gtest.h>

#include "geometry/goal_polygon.hpp"
#include "geometry/polygon.hpp"
#include "geometry/sword.hpp"
#include "render/font_maker.hpp"
#include "render/frame.hpp"
#include "render/gl.hpp"
#include "render/png.hpp"
#include "render/polygon_style.hpp"
#include "render/sword_style.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

struct Rgba {
    std::uint8_t r, g, b, a;
};

constexpr Rgba clear{0, 0, 0, 0};
constexpr Rgba red{255, 0, 0, 255};
constexpr Rgba green{0, 255, 0, 255};
constexpr Rgba blue{0, 0, 255, 255};
constexpr Rgba black{0, 0, 0, 255};
constexpr Rgba white{255, 255, 255, 255};
constexpr Rgba yellow{255, 255, 0, 255};

// Red rises with s: texel i of `width` holds 255 * (i + 0.5) / width, so a
// linear lookup at s gives about 255 * s away from the wrap.
Rgba ramp(int i, int width)
{
    return {static_cast<std::uint8_t>(std::lround(255.0 * (i + 0.5) / width)), 0, 0, 255};
}

void picture(const std::string& path, int width, int height, const std::function<Rgba(int x, int y)>& texel)
{
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Rgba c = texel(x, y);
            rgba.insert(rgba.end(), {c.r, c.g, c.b, c.a});
        }
    ASSERT_TRUE(save_png(path, width, height, rgba));
}

void flat(const std::string& path, Rgba colour)
{
    picture(path, 4, 4, [colour](int, int) { return colour; });
}

void write_text(const std::string& path, const std::string& text)
{
    std::ofstream(path) << text;
}

void polygon_style(const std::string& name, const std::string& info, Rgba main, Rgba edge, Rgba cut, Rgba light)
{
    const std::string folder = "styles/polygon/" + name + "/";
    std::filesystem::create_directories(folder);
    write_text(folder + "info", info);
    flat(folder + "main.png", main);
    flat(folder + "edge.png", edge);
    flat(folder + "cut.png", cut);
    flat(folder + "light.png", light);
}

Polygon make_polygon(const std::vector<Vector2>& points, const std::vector<std::pair<int, int>>& edges,
                     const std::string& style, Vector2 position = {})
{
    Polygon polygon;
    polygon.points = points;
    for (const auto& edge : edges)
        polygon.edges.insert(edge);
    polygon.position = position;
    polygon.style_name = style;
    polygon.style.load_style(style);
    polygon.compute_bbox();
    polygon.trace_loops(polygon.style);
    return polygon;
}

Polygon square(double half, const std::string& style, Vector2 position = {})
{
    return make_polygon({{-half, -half}, {half, -half}, {half, half}, {-half, half}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}},
                        style, position);
}

// Each test style lives in its own folder: the texture cache is keyed by the
// relative path and lasts for the whole test program.
class StyleDraw : public GlTest {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        in_folder = new ScopedCwd(folder->path());

        polygon_style("default", "0.1 0.1 1 0 0", red, green, blue, clear);
        polygon_style("flat", "0.1 0.1 1 0 0", red, clear, clear, clear);
        polygon_style("banded", "0.1 0.1 1 0 0", red, green, blue, clear);
        // The edge picture is 10 times as wide as high: with width 0.1 a band
        // unit of s is one level unit.
        polygon_style("ramp", "0.1 0.1 1 0 0", black, clear, clear, clear);
        picture("styles/polygon/ramp/edge.png", 100, 10, [](int x, int) { return ramp(x, 100); });
        polygon_style("lit", "0.1 0.2 1 0 0", black, clear, clear, clear);
        picture("styles/polygon/lit/light.png", 100, 2, [](int x, int) { return ramp(x, 100); });
        polygon_style("striped", "0.1 0.1 1 0.5 0", black, clear, clear, clear);
        picture("styles/polygon/striped/main.png", 64, 64, [](int x, int) { return x < 32 ? green : blue; });

        // A thin blade: the picture is 4 times as high as wide, so the half-width is a quarter of the size.
        std::filesystem::create_directories("styles/sword/default");
        picture("styles/sword/default/sword.png", 16, 64, [](int, int) { return yellow; });
        flat("styles/sword/default/tail.png", white);

        std::string error;
        const auto font = make_texture_font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 32, error);
        ASSERT_TRUE(font) << error;
        ASSERT_TRUE(save_texture_font("tag.txf", *font));
    }

    static void TearDownTestSuite()
    {
        free_fonts();
        delete in_folder;
        delete folder;
    }

    static void sword_info(const std::string& text) { write_text("styles/sword/default/info", text); }

    static std::uint8_t red_at(double x, double y) { return red_of(pixel_at_units(x, y)); }
    static Rgba colour_at(double x, double y)
    {
        const std::uint32_t p = pixel_at_units(x, y);
        return {red_of(p), green_of(p), blue_of(p), alpha_of(p)};
    }

    static void expect_colour(double x, double y, Rgba expected)
    {
        const Rgba c = colour_at(x, y);
        EXPECT_NEAR(c.r, expected.r, 3) << "at " << x << ", " << y;
        EXPECT_NEAR(c.g, expected.g, 3) << "at " << x << ", " << y;
        EXPECT_NEAR(c.b, expected.b, 3) << "at " << x << ", " << y;
    }

    // Largest red and green over the window pixels of a box in screen units.
    static void brightest(double x0, double y0, double x1, double y1, int& max_red, int& max_green)
    {
        int width = 0, height = 0;
        const std::vector<std::uint8_t> rgba = read_rgba(width, height);
        int px0 = 0, py0 = 0, px1 = 0, py1 = 0;
        to_pixel(x0, y0, px0, py0);
        to_pixel(x1, y1, px1, py1);
        max_red = max_green = 0;
        for (int y = py0; y <= py1; ++y)
            for (int x = px0; x <= px1; ++x) {
                const std::size_t at = (static_cast<std::size_t>(height - 1 - y) * width + x) * 4;
                max_red = std::max<int>(max_red, rgba[at]);
                max_green = std::max<int>(max_green, rgba[at + 1]);
            }
    }

    static inline TempDir* folder = nullptr;
    static inline ScopedCwd* in_folder = nullptr;
};

}  // namespace

TEST_F(StyleDraw, ShapesFillTheirMaterialOnlyWhateverTheLastFrameLeftInTheStencil)
{
    // The unit L with its notch at the top right, origin at its bottom left,
    // and a banded square over its bottom right corner drawn after it.
    Polygon l_shape = make_polygon({{0, 0}, {1, 0}, {1, 0.5}, {0.5, 0.5}, {0.5, 1}, {0, 1}},
                                   {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 5}, {5, 0}}, "flat", {-0.5, -0.5});
    Polygon over = square(0.2, "banded", {0.5, -0.5});
    const auto frame = [&] {
        begin_frame();
        l_shape.draw();
        over.draw();
    };
    frame();
    expect_colour(-0.25, -0.25, red);
    expect_colour(0.25, -0.25, red);
    expect_colour(-0.25, 0.25, red);
    expect_colour(0.25, 0.25, black);
    expect_colour(0.6, 0.0, black);
    expect_colour(-0.6, 0.0, black);
    // Over the L the square counts from the 0 the L left behind.
    expect_colour(0.35, -0.4, green);
    expect_colour(0.5, -0.5, red);
    EXPECT_EQ(glIsEnabled(GL_STENCIL_TEST), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
    int width = 0, height = 0;
    const std::vector<std::uint8_t> first = read_rgba(width, height);

    // A driver that discards the stencil at the swap leaves anything in it.
    SDL_GL_SwapBuffers();
    glClearStencil(1);
    glClear(GL_STENCIL_BUFFER_BIT);
    glClearStencil(0);
    frame();
    EXPECT_TRUE(read_rgba(width, height) == first) << "the second frame differs from the first";
}

TEST_F(StyleDraw, HolesStayEmptyAndAlphaScalesTheColour)
{
    // The hole runs clockwise; its outline is a second loop.
    Polygon holed = make_polygon({{-0.8, -0.8}, {0.8, -0.8}, {0.8, 0.8}, {-0.8, 0.8},
                                  {-0.3, -0.3}, {-0.3, 0.3}, {0.3, 0.3}, {0.3, -0.3}},
                                 {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6}, {6, 7}, {7, 4}}, "flat");
    ASSERT_EQ(holed.style.loops.size(), 2u);
    draw_polygon(holed.style, holed, 0.5);
    expect_colour(0.0, 0.0, black);
    expect_colour(0.2, -0.2, black);
    expect_colour(0.5, 0.0, {128, 0, 0, 255});
    expect_colour(-0.5, 0.6, {128, 0, 0, 255});
    expect_colour(0.9, 0.0, black);

    // Edges added after the outline was traced are traced again for the draw.
    Polygon stale = make_polygon(holed.points, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}, "flat");
    stale.edges.insert({{4, 5}, {5, 6}, {6, 7}, {7, 4}});
    stale.bbox_valid = false;
    glClear(GL_COLOR_BUFFER_BIT);
    stale.draw();
    expect_colour(0.0, 0.0, black);
    expect_colour(0.5, 0.0, red);
}

TEST_F(StyleDraw, EdgeBandLiesOnTheLeftOfEachEdge)
{
    square(0.5, "banded").draw();
    // Band 0.1 wide inside each side, interior beyond it, nothing outside.
    for (const Vector2& outward : {Vector2(0, -1), Vector2(1, 0), Vector2(0, 1), Vector2(-1, 0)}) {
        expect_colour(outward.x * 0.45, outward.y * 0.45, green);
        expect_colour(outward.x * 0.3, outward.y * 0.3, red);
        expect_colour(outward.x * 0.55, outward.y * 0.55, black);
    }
}

TEST_F(StyleDraw, MissingInfoDrawsLikeTheDefaultStyle)
{
    LogCapture log;
    square(0.5, "default").draw();
    int width = 0, height = 0;
    const std::vector<std::uint8_t> with_default = read_rgba(width, height);
    glClear(GL_COLOR_BUFFER_BIT);
    square(0.5, "no_such_style").draw();
    EXPECT_EQ(read_rgba(width, height), with_default);
    EXPECT_EQ(log.err().find("no_such_style"), std::string::npos);
}

TEST_F(StyleDraw, BandPictureRunsOnFromOneEdgeToTheNext)
{
    // Edges of lengths 1, 2, 1, 2; the second starts at running length
    // 1 + 2 * 0.1, the third at 1.2 + 2 + 0.2. Band s is running length plus
    // distance from 0.1 before the edge's start.
    Polygon tall = make_polygon({{0, 0}, {1, 0}, {1, 2}, {0, 2}}, {{0, 1}, {1, 2}, {2, 3}, {3, 0}}, "ramp",
                                {-0.5, -1});
    tall.draw();
    EXPECT_NEAR(red_at(0.0, -0.95), 255 * 0.6, 5);          // first edge, 0.5 along
    EXPECT_NEAR(red_at(0.45, -0.8), 255 * (1.5 - 1), 5);   // second, 0.2 along
    EXPECT_NEAR(red_at(0.45, -0.4), 255 * (1.9 - 1), 5);   // second, 0.6 along
    EXPECT_NEAR(red_at(0.2, 0.95), 255 * (3.8 - 3), 5);    // third, 0.3 along

    // A zero-length edge adds only twice the width: the long edge now starts at 1.2 + 0.2.
    glClear(GL_COLOR_BUFFER_BIT);
    make_polygon({{0, 0}, {1, 0}, {1, 0}, {1, 2}, {0, 2}}, {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, 0}}, "ramp", {-0.5, -1})
        .draw();
    EXPECT_NEAR(red_at(0.45, -0.8), 255 * (1.7 - 1), 5);
    EXPECT_NEAR(red_at(0.45, -0.6), 255 * (1.9 - 1), 5);
    expect_colour(0.55, -0.95, black);
}

TEST_F(StyleDraw, SlitEdgesTakeTheCutPicture)
{
    Polygon slit = square(0.5, "banded");
    slit.points.insert(slit.points.end(), {{-0.2, 0}, {0.2, 0}});
    slit.edges.insert({{4, 5}, {5, 4}});
    slit.trace_loops(slit.style);
    ASSERT_TRUE(slit.has_reverse({4, 5}));
    slit.draw();
    expect_colour(0.0, 0.05, blue);
    expect_colour(0.0, -0.05, blue);
    expect_colour(0.0, 0.2, red);
    expect_colour(0.0, 0.45, green);
    expect_colour(0.3, 0.0, red);
}

TEST_F(StyleDraw, InteriorScrollWrapsAroundThePicture)
{
    // Interior s = x + 0.5 - shift s: green for s in [0, 0.5), blue above.
    Polygon plate = square(0.5, "striped");
    plate.draw();
    expect_colour(-0.25, 0.0, green);
    expect_colour(0.25, 0.0, blue);

    glClear(GL_COLOR_BUFFER_BIT);
    plate.style.animate_style(1.0);
    EXPECT_EQ(plate.style.shift_s, 0.5);
    plate.draw();
    expect_colour(-0.25, 0.0, blue);
    expect_colour(0.25, 0.0, green);
}

TEST_F(StyleDraw, HalfTurnMovesTheLightBandByHalf)
{
    // Light s = (angle of the outward normal + polygon angle) / 2 pi; the
    // picture's red is 255 s. The bottom side faces -pi/2: s 0.75.
    Polygon plate = square(0.5, "lit");
    plate.draw();
    const std::uint8_t world_bottom = red_at(0.0, -0.45);
    const std::uint8_t world_top = red_at(0.0, 0.45);
    EXPECT_NEAR(world_bottom, 255 * 0.75, 5);
    EXPECT_NEAR(world_top, 255 * 0.25, 5);
    EXPECT_NEAR(red_at(-0.45, 0.0), 255 * 0.5, 5);
    expect_colour(0.0, -0.25, black);

    glClear(GL_COLOR_BUFFER_BIT);
    plate.angle = std::numbers::pi;
    plate.rotation = {-1, 0, 0, -1};
    plate.draw();
    // The local bottom side is now on top and its s moved by 0.5; the lit
    // side stays where it was in the world.
    EXPECT_NEAR(red_at(0.0, 0.45), 255 * 0.25, 5);
    EXPECT_NEAR(red_at(0.0, -0.45), world_bottom, 2);
    EXPECT_NEAR(red_at(0.0, 0.45), world_top, 2);
}

TEST_F(StyleDraw, LightBandShowsTheNearestOutlineInSharpCorners)
{
    // A thin wedge: where it is narrower than two light widths, each pixel
    // shows the band of the nearer side. At x = 1/3 it is 0.2 wide; the
    // samples lie 0.06 from one side and 0.14 from the other.
    Polygon wedge = make_polygon({{-1, -0.3}, {1, 0}, {-1, 0.3}}, {{0, 1}, {1, 2}, {2, 0}}, "lit");
    wedge.draw();
    // The lower side faces down and a little right, the upper side up and a little right.
    const double lower = 255 * (1.0 + std::atan2(-2.0, 0.3) / (2 * std::numbers::pi));
    const double upper = 255 * (std::atan2(2.0, 0.3) / (2 * std::numbers::pi));
    EXPECT_NEAR(red_at(1.0 / 3.0, -0.04), lower, 5);
    EXPECT_NEAR(red_at(1.0 / 3.0, 0.04), upper, 5);
}

TEST_F(StyleDraw, BladeLiesAlongTheHeadingWhenSharpAndAcrossItWhenBlunt)
{
    sword_info("0.2 0.05 0.05 0.05 0.05 0.5 1 0");
    Sword sword;
    draw_sword(sword.style, sword);
    ASSERT_TRUE(sword.style.loaded);
    EXPECT_DOUBLE_EQ(sword.style.blade_width, 0.05);
    // 2H = 0.4 long behind the point, 2W = 0.1 wide.
    expect_colour(-0.2, 0.0, yellow);
    expect_colour(-0.35, 0.0, yellow);
    expect_colour(-0.2, 0.08, black);
    expect_colour(0.05, 0.0, black);
    expect_colour(0.0, 0.15, black);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);

    // Blunt, it turns a quarter: centred on the point, along (0, 1).
    glClear(GL_COLOR_BUFFER_BIT);
    sword.cannot_cut_fade = 1.0;
    draw_sword(sword.style, sword);
    expect_colour(0.0, 0.15, yellow);
    expect_colour(0.0, -0.15, yellow);
    expect_colour(-0.2, 0.0, black);
    expect_colour(0.0, 0.25, black);
}

TEST_F(StyleDraw, TrailNeedsThreeEntriesAndFadesWithSpeed)
{
    sword_info("0.05 0.05 0.05 0.05 0.05 0.5 0.0001 0");
    Sword sword;
    sword.position = Vector2(1, -0.8);
    sword.trail = {{{0, 0.5}, 0.0}, {{-1, 0.5}, 0.1}};
    draw_sword(sword.style, sword);
    expect_colour(-0.5, 0.5, black);
    expect_colour(0.95, -0.8, yellow);

    glClear(GL_COLOR_BUFFER_BIT);
    sword.trail.push_back({{-1.2, 0.5}, 0.2});
    draw_sword(sword.style, sword);
    expect_colour(-0.5, 0.5, white);
    expect_colour(-0.5, 0.58, black);

    // Opaque from speed 1: segments 0.5 long whose ages are equal count as
    // taking one second, so alpha 0.5.
    sword_info("0.05 0.05 0.05 0.05 0.05 0.5 0.0001 1");
    sword = Sword();
    sword.position = Vector2(1, -0.8);
    sword.trail = {{{0, 0.5}, 0.25}, {{-0.5, 0.5}, 0.25}, {{-1, 0.5}, 0.25}};
    glClear(GL_COLOR_BUFFER_BIT);
    draw_sword(sword.style, sword);
    EXPECT_NEAR(red_at(-0.75, 0.5), 128, 3);
    EXPECT_NEAR(red_at(-0.25, 0.5), 128, 3);
    sword.trail = {{{0, 0.5}, 0.0}, {{-0.5, 0.5}, 0.25}, {{-1, 0.5}, 0.5}};
    glClear(GL_COLOR_BUFFER_BIT);
    draw_sword(sword.style, sword);
    EXPECT_EQ(red_at(-0.75, 0.5), 255);
}

TEST_F(StyleDraw, GoalFadesAwayAndItsTagHoldsOneLinePerBit)
{
    LogCapture log;
    GoalPolygon g;
    g.points = {{-0.3, -0.3}, {0.3, -0.3}, {0.3, 0.3}, {-0.3, 0.3}};
    g.edges = {{0, 1}, {1, 2}, {2, 3}, {3, 0}};
    g.style_name = "flat";
    g.style.load_style("flat");
    g.trace_loops(g.style);
    g.fade = 1.0;
    g.draw();
    EXPECT_EQ(red_at(0, 0), 0) << "a done goal that has faded out";
    g.fade = 0.75;
    g.draw();
    EXPECT_NEAR(red_at(0, 0), 64, 2);

    glClearColor(1, 1, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
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
    // Two lines of 0.07 and a margin of 0.02: half a height of 0.09, black at 0.7 over white.
    for (const double dy : {0.085, -0.085})
        EXPECT_NEAR(red_at(0.2, 0.1 + dy), 77, 2) << dy;
    for (const double dy : {0.095, -0.095})
        EXPECT_EQ(red_at(0.2, 0.1 + dy), 255) << dy;
    for (const double dx : {-half_w - 0.015, half_w + 0.015})
        EXPECT_NEAR(red_at(0.2 + dx, 0.18), 77, 2) << dx;
    for (const double dx : {-half_w - 0.025, half_w + 0.025})
        EXPECT_EQ(red_at(0.2 + dx, 0.18), 255) << dx;

    int red = 0, green = 0;
    brightest(0.2 - half_w, 0.1 + 0.005, 0.2 + half_w, 0.1 + 0.065, red, green);
    EXPECT_GT(green, 220) << "the satisfied first line is green";
    EXPECT_LT(red, 150);
    brightest(0.2 - half_w, 0.1 - 0.065, 0.2 + half_w, 0.1 - 0.005, red, green);
    EXPECT_NEAR(red, 127, 4) << "the open second line is grey";
    EXPECT_NEAR(green, 127, 4);
}
