#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/picture_files.hpp"
#include "render/png.hpp"
#include "storage/file_storage.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "world/level_picture.hpp"
#include "world/level_text.hpp"
#include "world/world.hpp"

namespace {

// Red minus blue of 7 x 7 picture pixels around a level point, in the picture
// of 100 pixels a unit, bottom row first as load_png gives it.
double redness(const std::vector<std::uint32_t>& pixels, double x, double y)
{
    double sum = 0;
    const int cx = static_cast<int>((x + 4) * 100), cy = static_cast<int>((y + 1.5) * 100);
    for (int py = cy - 3; py <= cy + 3; ++py)
        for (int px = cx - 3; px <= cx + 3; ++px) {
            const std::uint32_t p = pixels[static_cast<std::size_t>(py) * 800 + px];
            sum += (red_of(p) - blue_of(p)) / 49.0;
        }
    return sum;
}

class LevelPictureDraw : public GameFolderGlTest {
protected:
    LogCapture log_;
};

}  // namespace

TEST_F(LevelPictureDraw, ShowsTheWholeBoundsOfALevelLargerThanAScreen)
{
    World world;
    std::string error;
    // Three screens wide and one and a half tall: a floor, a goal, lava in
    // the top left corner and ice in the top right, so that a picture that is
    // cropped, mirrored or upside down shows a wrong colour.
    ASSERT_TRUE(build_level(read_text(source_root / "tests/data/levels/wide.txt"), world, error)) << error;
    EXPECT_EQ(screens_text(world), "3 x 1.5 screens");
    TempDir dir;
    OutFileStorage out(dir.file("wide.lev"));
    world.save(out);
    ASSERT_TRUE(out.finish());
    ASSERT_TRUE(write_level_picture(dir.file("wide.lev"), dir.file("wide.png"), 800, error)) << error;
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(load_png(dir.file("wide.png"), width, height, pixels));
    ASSERT_EQ(width, 800u);
    ASSERT_EQ(height, 300u);
    // Above each body's tag lava is red, ice blue, the background between
    // them neither (its blue is at most a little above its red).
    EXPECT_GT(redness(pixels, -3.6, 1.23), 30);
    EXPECT_LT(redness(pixels, 3.6, 1.23), -25);

    // What no picture can be made of.
    LevelPicture picture;
    EXPECT_FALSE(draw_level_picture(world, 100000, picture, error));
    EXPECT_NE(error.find("does not fit"), std::string::npos) << error;
    world.bounds_max.y = world.bounds_min.y;
    EXPECT_FALSE(draw_level_picture(world, 100, picture, error));
    EXPECT_EQ(error, "the level's bounds are empty");
}
