#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <string>
#include <vector>

#include <SDL/SDL.h>

#include "geometry/goal_polygon.hpp"
#include "geometry/sword.hpp"
#include "render/frame.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/polygon_drawing.hpp"
#include "render/sword_drawing.hpp"
#include "render/texture_manager.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"

namespace {

struct Rgba {
    std::uint8_t r, g, b, a;
};
constexpr Rgba red{255, 0, 0, 255}, green{0, 255, 0, 255}, blue{0, 0, 255, 255},
    black{0, 0, 0, 255}, yellow{255, 255, 0, 255};

Polygon make_polygon(const std::vector<Vector2>& points, const std::string& style, Vector2 position = {})
{
    Polygon polygon;
    polygon.points = points;
    for (int i = 0; i < static_cast<int>(points.size()); ++i)
        polygon.edges.emplace(i, (i + 1) % static_cast<int>(points.size()));
    polygon.position = position, polygon.style_name = style;
    polygon.style.load_style(style);
    polygon.compute_bbox();
    polygon.trace_loops(polygon.style);
    return polygon;
}

Polygon square(double h, const std::string& style, Vector2 position = {})
{
    return make_polygon({{-h, -h}, {h, -h}, {h, h}, {-h, h}}, style, position);
}

// The pictures of tests/data/style_draw, in a folder of their own: the
// texture cache is keyed by the relative path and lasts for the whole test
// program. Each polygon style has its main, edge, cut and light picture:
// "flat" is red inside and nothing else, "banded" red with a green band and
// a blue cut. On black, "ramp" has an edge picture and "lit" a light picture
// whose red rises from 0 to 255 along s (10 and 50 times as wide as high), and
// "striped" a main picture green on its left half and blue on its right. The
// blade is yellow and 4 times as high as wide.
class StyleDraw : public GlTest {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        std::filesystem::copy(source_root / "tests/data/style_draw", folder->path(),
                              std::filesystem::copy_options::recursive);
        in_folder = new ScopedCwd(folder->path());
    }
    static void TearDownTestSuite()
    {
        delete in_folder;
        delete folder;
        // The game's own pictures back under their names (see own_pictures).
        const ScopedCwd in_game_folder(game_dir);
        reload_textures();
    }
    // The sword's pictures have the game's names, which a
    // test in the game folder may have cached already: ours go under them.
    static void own_pictures() { reload_textures(); }

    static int red_at(double x, double y) { return red_of(pixel_at_units(x, y)); }
    struct Probe {
        double x, y;
        Rgba c;
    };
    static void expect_colours(std::initializer_list<Probe> probes)
    {
        for (const Probe& p : probes) {
            const std::uint32_t at = pixel_at_units(p.x, p.y);
            EXPECT_TRUE(std::abs(red_of(at) - p.c.r) <= 3 && std::abs(green_of(at) - p.c.g) <= 3 &&
                        std::abs(blue_of(at) - p.c.b) <= 3)
                << "at " << p.x << ", " << p.y << ": " << std::hex << at;
        }
    }

    static inline TempDir* folder = nullptr;
    static inline ScopedCwd* in_folder = nullptr;
};

}  // namespace

TEST_F(StyleDraw, ShapesFillTheirMaterialWhateverTheLastFrameLeftInTheStencil)
{
    // The unit L notched at the top right, and a banded square over its
    // bottom right corner counting from the 0 the L left in the stencil.
    Polygon l_shape = make_polygon({{0, 0}, {1, 0}, {1, 0.5}, {0.5, 0.5}, {0.5, 1}, {0, 1}}, "flat", {-0.5, -0.5});
    Polygon over = square(0.2, "banded", {0.5, -0.5});
    const auto frame = [&] {
        begin_frame();
        l_shape.draw();
        over.draw();
    };
    frame();
    expect_colours({{-0.25, 0.25, red}, {0.25, 0.25, black}, {0.35, -0.4, green}, {0.5, -0.5, red}});
    EXPECT_FALSE(glIsEnabled(GL_STENCIL_TEST) || glIsEnabled(GL_DEPTH_TEST) || glIsEnabled(GL_TEXTURE_2D));
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

// Lean drawing leaves each shape's stencil mark behind; a band reaching past
// its shape's corner must still never land on a neighbour, however many shapes
// came between, even once the marks have run out and started again.
TEST_F(StyleDraw, ABandNeverReachesIntoANeighbourWhateverMarkItLeft)
{
    const bool lean = lean_drawing();
    set_lean_drawing(true);
    Polygon left = square(0.2, "flat", {-0.3, 0});
    Polygon right = square(0.2, "banded", {0.1, 0});
    begin_frame();
    left.draw();
    for (int i = 0; i < 300; ++i)
        right.draw();
    set_lean_drawing(lean);
    // The top edge's band fades out over 0.1 past the shared corner, inside the left square.
    expect_colours({{-0.11, 0.17, red}, {-0.05, 0.0, green}});
}

TEST_F(StyleDraw, HolesStayEmptyAlphaScalesAndSlitsTakeTheCutPicture)
{
    // The hole runs clockwise: a second loop.
    Polygon holed = make_polygon({{-0.8, -0.8}, {0.8, -0.8}, {0.8, 0.8}, {-0.8, 0.8}}, "flat");
    holed.points.insert(holed.points.end(), {{-0.3, -0.3}, {-0.3, 0.3}, {0.3, 0.3}, {0.3, -0.3}});
    holed.edges.insert({{4, 5}, {5, 6}, {6, 7}, {7, 4}});
    holed.trace_loops(holed.style);
    draw_polygon(holed.style, holed, 0.5);
    expect_colours({{0.0, 0.0, black}, {0.5, 0.0, {128, 0, 0, 255}}});

    glClear(GL_COLOR_BUFFER_BIT);
    Polygon slit = square(0.5, "banded");
    slit.points.insert(slit.points.end(), {{-0.2, 0}, {0.2, 0}});
    slit.edges.insert({{4, 5}, {5, 4}});
    slit.trace_loops(slit.style);
    slit.draw();
    // The band lies inside each side, on the left of its edge.
    expect_colours({{0.0, 0.05, blue}, {0.0, -0.05, blue}, {0.0, 0.2, red}, {0.0, 0.45, green}});
}

TEST_F(StyleDraw, BandsRunOnFromEdgeToEdgeInteriorsScrollAndLightFollowsTheTurn)
{
    // Edges of lengths 1, 0, 2, 1, 2: the third starts at running length
    // 1 + 2 * 0.1 + 2 * 0.1, as an edge of no length adds only twice the
    // width. Band s is running length plus distance from 0.1 before the
    // edge's start.
    make_polygon({{0, 0}, {1, 0}, {1, 0}, {1, 2}, {0, 2}}, "ramp", {-0.5, -1}).draw();
    EXPECT_NEAR(red_at(0.45, -0.8), 255 * 0.7, 5);

    // Interior s = x + 0.5 - shift s: green below 0.5, blue above.
    glClear(GL_COLOR_BUFFER_BIT);
    Polygon plate = square(0.5, "striped");
    plate.style.animate_style(1.0);
    plate.draw();
    expect_colours({{-0.25, 0.0, blue}, {0.25, 0.0, green}});

    // Light s = (angle of the outward normal + polygon angle) / 2 pi: the
    // bottom faces -pi/2. Half a turn moves each side's s by 0.5, so the
    // world's lit sides stay.
    Polygon lit = square(0.5, "lit");
    for (const double angle : {0.0, std::numbers::pi}) {
        glClear(GL_COLOR_BUFFER_BIT);
        lit.angle = angle;
        lit.rotation = angle == 0 ? Rotation{1, 0, 0, 1} : Rotation{-1, 0, 0, -1};
        lit.draw();
        EXPECT_NEAR(red_at(0.0, -0.45), 255 * 0.75, 5) << angle;
    }
    // A thin wedge: where narrower than two light widths each pixel shows
    // the nearer side's band (this sample is 0.06 from the lower side).
    glClear(GL_COLOR_BUFFER_BIT);
    make_polygon({{-1, -0.3}, {1, 0}, {-1, 0.3}}, "lit").draw();
    EXPECT_NEAR(red_at(1.0 / 3.0, -0.04), 255 * (1.0 + std::atan2(-2.0, 0.3) / (2 * std::numbers::pi)), 5);
}

TEST_F(StyleDraw, BladeLiesAlongTheHeadingWhenSharpAndAcrossItWhenBlunt)
{
    own_pictures();
    std::ofstream("styles/sword/default/info") << "0.2 0.05 0.05 0.05 0.05 0.5 1 0";
    Sword sword;
    draw_sword(sword.style, sword);
    ASSERT_TRUE(sword.style.loaded);
    // 2H = 0.4 long behind the point, 2W = 0.1 wide.
    expect_colours({{-0.35, 0.0, yellow}, {-0.2, 0.08, black}, {0.05, 0.0, black}});
    glClear(GL_COLOR_BUFFER_BIT);
    sword.cannot_cut_fade = 1.0;
    draw_sword(sword.style, sword);
    expect_colours({{0.0, -0.15, yellow}, {-0.2, 0.0, black}});
}

TEST_F(StyleDraw, GoalFadesAway)
{
    LogCapture log;
    GoalPolygon g;
    static_cast<Polygon&>(g) = square(0.3, "flat");
    g.fade = 0.75;
    g.draw();
    EXPECT_NEAR(red_at(0, 0), 64, 2);
}
