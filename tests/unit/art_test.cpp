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
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

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
    for (const auto& entry : std::filesystem::directory_iterator(source_root / "data/styles/polygon"))
        names.push_back(entry.path().filename().string());
    return names;
}

// Mean difference across the wrap seam between the last and first column (or
// row), against the mean between neighbours inside: a seam the eye can find
// is much rougher than the picture's own grain.
bool seamless(const Canvas& c, bool across)
{
    const int w = across ? c.width() : c.height(), h = across ? c.height() : c.width();
    const auto at = [&](int x, int y) { return across ? c.at(x, y) : c.at(y, x); };
    const auto difference = [](const Color& a, const Color& b) {
        return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b) + std::abs(a.a - b.a);
    };
    float wrap = 0, inside = 0;
    for (int y = 0; y < h; ++y) {
        wrap += difference(at(w - 1, y), at(0, y)) / 4;
        for (int x = 0; x + 1 < w; ++x)
            inside += difference(at(x, y), at(x + 1, y)) / 4;
    }
    return wrap / h <= 2 * inside / (h * (w - 1)) + 0.01f;
}

float mean_alpha(const Canvas& c, int x0, int y0, int x1, int y1)
{
    float sum = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            sum += c.at(x, y).a;
    return sum / static_cast<float>((x1 - x0) * (y1 - y0));
}

const char* const menu_pictures[] = {"play", "stopleft",  "pause", "frameforward", "arrow_right", "fastforward",
                                     "stopright", "plus", "minus", "arrow_up", "lock", "scroll"};

}  // namespace

TEST(GameArt, DrawsEveryPictureTheGameLoadsInPowerOfTwoSizes)
{
    std::set<std::string> expected{"styles/sword/default/sword.png", "styles/sword/default/tail.png",
                                   "textures/basic_particle.png", "textures/empty.png"};
    for (const char* name : menu_pictures)
        expected.insert(std::string("textures/") + name + ".png");
    for (const std::string& style : polygon_styles())
        for (const char* file : {"main.png", "edge.png", "cut.png", "light.png"})
            expected.insert("styles/polygon/" + style + "/" + file);
    std::multiset<std::string> drawn;
    for (const ArtFile& file : art()) {
        drawn.insert(file.path);
        const int w = file.picture.width(), h = file.picture.height();
        EXPECT_TRUE(w > 0 && h > 0 && (w & (w - 1)) == 0 && (h & (h - 1)) == 0) << file.path;
    }
    EXPECT_EQ(std::set<std::string>(drawn.begin(), drawn.end()), expected);
    EXPECT_EQ(drawn.size(), expected.size()) << "a path is drawn twice";
}

// One look per kind of picture: style pictures tile with their bands drawn
// on the outline, and menu pictures have clear corners round a solid middle.
TEST(GameArt, StylePicturesTileAndMenuPicturesHaveClearCorners)
{
    Canvas ramp(64, 64);
    ramp.fill([](float u, float) { return rgb(u, u, u); });
    EXPECT_FALSE(seamless(ramp, true)) << "the seam check finds a picture that does not tile";
    for (const std::string& style : polygon_styles()) {
        const std::string folder = "styles/polygon/" + style + "/";
        EXPECT_TRUE(seamless(picture(folder + "main.png"), true) && seamless(picture(folder + "main.png"), false))
            << style;
        const Canvas& edge = picture(folder + "edge.png");
        // The bottom row (t = 1) is drawn on the outline, the top row inside.
        EXPECT_GT(mean_alpha(edge, 0, edge.height() - 1, edge.width(), edge.height()), 0.6f) << style;
        EXPECT_LT(mean_alpha(edge, 0, 0, edge.width(), 1), 0.05f) << style;
    }
    for (const char* name : menu_pictures) {
        const Canvas& icon = picture(std::string("textures/") + name + ".png");
        const int n = icon.width(), k = n / 16;
        EXPECT_LT(mean_alpha(icon, 0, 0, k, k) + mean_alpha(icon, n - k, n - k, n, n), 0.04f) << name;
        EXPECT_GT(mean_alpha(icon, n / 4, n / 4, 3 * n / 4, 3 * n / 4), 0.35f) << name;
    }
}

TEST(GameArt, WritesEveryFileTheSameEachTimeOrReportsTheFolder)
{
    TempDir dir;
    write_file_bytes(dir.file("info"), {'0', '.', '1', ' ', '2', '\n', '3', ' ', '4', '\n'});
    std::vector<double> numbers;
    EXPECT_TRUE(read_info_numbers(dir.file("info"), 4, numbers));
    EXPECT_EQ(numbers, (std::vector<double>{0.1, 2, 3, 4}));
    EXPECT_FALSE(read_info_numbers(dir.file("info"), 5, numbers)) << "short";

    TempDir first, second;
    ASSERT_TRUE(make_game_art(first.path()));
    ASSERT_TRUE(make_game_art(second.path()));
    for (const ArtFile& file : art()) {
        const std::vector<unsigned char> bytes = read_file_bytes(first.file(file.path));
        ASSERT_FALSE(bytes.empty()) << file.path;
        EXPECT_EQ(bytes, read_file_bytes(second.file(file.path))) << file.path;
    }
    write_file_bytes(first.file("blocked"), {'x'});
    LogCapture log;
    EXPECT_FALSE(make_game_art(first.file("blocked")));
    EXPECT_NE(log.err().find("blocked"), std::string::npos);

    // Transparent pixels take the colour of their neighbours.
    Canvas c(8, 1);
    c.at(0, 0) = with_alpha(rgb(1.0f, 0.5f, 0.0f), 1);
    const std::vector<std::uint8_t> rgba = to_rgba8(c);
    EXPECT_EQ(std::vector<std::uint8_t>(rgba.begin() + 28, rgba.end()), (std::vector<std::uint8_t>{255, 128, 0, 0}));
}
