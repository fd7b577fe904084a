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

std::vector<std::string> polygon_styles()
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(source_root / "data/styles/polygon"))
        names.push_back(entry.path().filename().string());
    return names;
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
}
