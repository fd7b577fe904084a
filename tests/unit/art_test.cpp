#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/art/canvas.hpp"
#include "render/art/game_art.hpp"
#include "render/art/style_info.hpp"
#include "render/png.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

const std::filesystem::path data_dir = source_root / "data";

const std::vector<ArtFile>& art()
{
    static const std::vector<ArtFile> drawn = draw_game_art();
    return drawn;
}

const Canvas& picture(const std::string& path)
{
    const auto found = std::find_if(art().begin(), art().end(), [&](const ArtFile& file) { return file.path == path; });
    if (found == art().end())
        throw std::runtime_error("no picture " + path);
    return found->picture;
}

std::vector<std::string> polygon_styles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(data_dir / "styles" / "polygon"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

float difference(const Color& a, const Color& b)
{
    return (std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) + std::abs(a.a - b.a)) / 4;
}

// Mean difference across the wrap seam between the last and first column,
// and the mean difference between neighbouring columns inside the picture.
struct Seam {
    float across_wrap = 0, inside = 0;
};

Seam column_seam(const Canvas& c)
{
    Seam seam;
    for (int y = 0; y < c.height(); ++y) {
        seam.across_wrap += difference(c.at(c.width() - 1, y), c.at(0, y));
        for (int x = 0; x + 1 < c.width(); ++x)
            seam.inside += difference(c.at(x, y), c.at(x + 1, y));
    }
    seam.across_wrap /= static_cast<float>(c.height());
    seam.inside /= static_cast<float>(c.height() * (c.width() - 1));
    return seam;
}

Canvas transposed(const Canvas& c)
{
    Canvas t(c.height(), c.width());
    for (int y = 0; y < c.height(); ++y)
        for (int x = 0; x < c.width(); ++x)
            t.at(y, x) = c.at(x, y);
    return t;
}

// A seam that the eye can find is much rougher than the picture's own grain.
void expect_seamless(const Canvas& c, const std::string& what)
{
    const Seam seam = column_seam(c);
    EXPECT_LE(seam.across_wrap, 2 * seam.inside + 0.01f) << what;
}

float row_alpha(const Canvas& c, int y)
{
    float sum = 0;
    for (int x = 0; x < c.width(); ++x)
        sum += c.at(x, y).a;
    return sum / static_cast<float>(c.width());
}

float mean_alpha(const Canvas& c, int x0, int y0, int x1, int y1)
{
    float sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += c.at(x, y).a;
    return sum / static_cast<float>((x1 - x0) * (y1 - y0));
}

bool power_of_two(int n)
{
    return n > 0 && (n & (n - 1)) == 0;
}

float luminance(const Color& premultiplied)
{
    return 0.3f * premultiplied.r + 0.59f * premultiplied.g + 0.11f * premultiplied.b;
}

const char* const menu_pictures[] = {"play", "stopleft", "pause", "frameforward", "arrow_right", "fastforward", "stopright",
                                     "plus", "minus", "arrow_up", "lock", "scroll"};

TEST(GameArt, DrawsEveryPictureTheGameLoadsInPowerOfTwoSizes)
{
    std::set<std::string> expected{"styles/sword/default/sword.png", "styles/sword/default/tail.png",
                                   "textures/basic_particle.png", "textures/empty.png"};
    for (const char* name : menu_pictures)
        expected.insert(std::string("textures/") + name + ".png");
    const std::vector<std::string> styles = polygon_styles();
    ASSERT_TRUE(std::find(styles.begin(), styles.end(), "default") != styles.end());
    for (const std::string& style : styles)
        for (const char* file : {"main.png", "edge.png", "cut.png", "light.png"})
            expected.insert("styles/polygon/" + style + "/" + file);

    std::set<std::string> drawn;
    for (const ArtFile& file : art()) {
        drawn.insert(file.path);
        EXPECT_TRUE(power_of_two(file.picture.width()) && power_of_two(file.picture.height())) << file.path;
    }
    EXPECT_EQ(drawn, expected);
    EXPECT_EQ(drawn.size(), art().size()) << "a path is drawn twice";
}

TEST(GameArt, StyleInfoFilesHoldTheirNumbers)
{
    for (const std::string& style : polygon_styles()) {
        std::vector<double> numbers;
        ASSERT_TRUE(read_info_numbers((data_dir / "styles/polygon" / style / "info").string(), 5, numbers)) << style;
        EXPECT_GT(numbers[0], 0.005) << style << ": edge width";
        EXPECT_GT(numbers[1], 0.005) << style << ": light width";
        EXPECT_GT(numbers[2], 0.1) << style << ": main scale";
    }
    std::vector<double> sword;
    EXPECT_TRUE(read_info_numbers((data_dir / "styles/sword/default/info").string(), 8, sword));
}

TEST(GameArt, InfoReaderRefusesShortFiles)
{
    TempDir dir;
    write_file_bytes(dir.file("info"), {'0', '.', '1', ' ', '2', '\n', '3', ' ', '4', '\n'});
    std::vector<double> numbers;
    EXPECT_TRUE(read_info_numbers(dir.file("info"), 4, numbers));
    EXPECT_EQ(numbers, (std::vector<double>{0.1, 2, 3, 4}));
    EXPECT_FALSE(read_info_numbers(dir.file("info"), 5, numbers));
    EXPECT_FALSE(read_info_numbers(dir.file("missing"), 1, numbers));
}

TEST(GameArt, SeamCheckFindsAPictureThatDoesNotTile)
{
    Canvas ramp(64, 64);
    ramp.fill([](float u, float) { return rgb(u, u, u); });
    EXPECT_GT(column_seam(ramp).across_wrap, 2 * column_seam(ramp).inside + 0.01f);
}

TEST(GameArt, StylePicturesTileAndBandsLieOnTheOutline)
{
    for (const std::string& style : polygon_styles()) {
        const std::string folder = "styles/polygon/" + style + "/";
        const Canvas& main = picture(folder + "main.png");
        expect_seamless(main, style + " main, left to right");
        expect_seamless(transposed(main), style + " main, top to bottom");
        for (const char* band : {"edge.png", "cut.png", "light.png"})
            expect_seamless(picture(folder + band), style + " " + band);
        // The bottom row (t = 1) is drawn on the outline, the top row inside.
        for (const char* band : {"edge.png", "cut.png"}) {
            const Canvas& c = picture(folder + band);
            EXPECT_GT(row_alpha(c, c.height() - 1), 0.6f) << style << " " << band;
            EXPECT_LT(row_alpha(c, 0), 0.05f) << style << " " << band;
        }
        // Light warms edges facing up and shades edges facing down.
        const Canvas& light = picture(folder + "light.png");
        const int outline = light.height() - 1;
        const Color up = light.at(light.width() / 4, outline), down = light.at(3 * light.width() / 4, outline);
        EXPECT_GT(luminance(up), luminance(down) + 0.1f) << style;
        EXPECT_GT(up.a, 0.2f) << style;
        EXPECT_LT(light.at(light.width() / 4, 0).a, 0.05f) << style << ": the band fades out inward";
        if (style == "default") {
            EXPECT_GT(up.r, up.b);
            EXPECT_GT(down.b / down.a, down.r / down.a);
        }
    }
}

TEST(GameArt, MenuPicturesHaveClearCornersAndSolidMiddles)
{
    for (const char* name : menu_pictures) {
        const Canvas& icon = picture(std::string("textures/") + name + ".png");
        const int n = icon.width(), k = n / 16;
        EXPECT_EQ(icon.height(), n) << name;
        for (const auto& [x, y] : {std::pair{0, 0}, std::pair{n - k, 0}, std::pair{0, n - k}, std::pair{n - k, n - k}})
            EXPECT_LT(mean_alpha(icon, x, y, x + k, y + k), 0.02f) << name;
        EXPECT_GT(mean_alpha(icon, n / 4, n / 4, 3 * n / 4, 3 * n / 4), 0.35f) << name;
        float brightest = 0;
        for (int y = n / 4; y < 3 * n / 4; ++y)
            for (int x = n / 4; x < 3 * n / 4; ++x)
                brightest = std::max(brightest, luminance(icon.at(x, y)));
        EXPECT_GT(brightest, 0.8f) << name << ": an ivory glyph";
    }
    const Canvas& panel = picture("textures/empty.png");
    EXPECT_LT(panel.at(0, 0).a, 0.05f);
    const float middle = mean_alpha(panel, panel.width() / 4, panel.height() / 4, 3 * panel.width() / 4, 3 * panel.height() / 4);
    EXPECT_GT(middle, 0.5f);
    EXPECT_LT(middle, 0.95f) << "the panel lets the level show through";
}

TEST(GameArt, SwordPointsRightItsTrailFadesAndTheParticleIsRound)
{
    const Canvas& blade = picture("styles/sword/default/sword.png");
    const int n = blade.width();
    EXPECT_GT(blade.at(n * 9 / 10, n / 2).a, 0.9f) << "the blade reaches towards s = 1";
    EXPECT_LT(blade.at(n - 1, n / 2).a, 0.5f) << "the tip ends inside the picture";
    EXPECT_LT(row_alpha(blade, 0) + row_alpha(blade, n - 1), 0.02f);
    const Canvas& tail = picture("styles/sword/default/tail.png");
    EXPECT_GT(tail.at(2, tail.height() / 2).a, 0.7f);
    EXPECT_LT(tail.at(tail.width() - 1, tail.height() / 2).a, 0.05f);
    const Canvas& spark = picture("textures/basic_particle.png");
    const int k = spark.width(), c = k / 2;
    EXPECT_GT(spark.at(c, c).a, 0.9f);
    EXPECT_GT(spark.at(c + k / 8, c).a, spark.at(c + k / 4, c).a);
    EXPECT_EQ(spark.at(0, 0).a, 0.0f);
    EXPECT_NEAR(spark.at(c, c + k / 4).a, spark.at(c + k / 4, c).a, 0.01f) << "round";
}

TEST(GameArt, WritesEveryFileTheSameEachTimeOrReportsTheFolder)
{
    TempDir first, second;
    ASSERT_TRUE(make_game_art(first.path()));
    ASSERT_TRUE(make_game_art(second.path()));
    for (const ArtFile& file : art()) {
        const std::vector<unsigned char> bytes = read_file_bytes(first.file(file.path));
        ASSERT_FALSE(bytes.empty()) << file.path;
        EXPECT_EQ(bytes, read_file_bytes(second.file(file.path))) << file.path;
    }

    TempDir dir;
    write_file_bytes(dir.file("blocked"), {'x'});
    LogCapture log;
    EXPECT_FALSE(make_game_art(dir.file("blocked")));
    EXPECT_NE(log.err().find("blocked"), std::string::npos);
}

TEST(GameArt, TransparentPixelsTakeTheColourOfTheirNeighbours)
{
    Canvas c(8, 1);
    c.at(0, 0) = with_alpha(rgb(1.0f, 0.5f, 0.0f), 1);
    const std::vector<std::uint8_t> bytes = to_rgba8(c);
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 28, bytes.end()), (std::vector<std::uint8_t>{255, 128, 0, 0}));
}

}  // namespace
