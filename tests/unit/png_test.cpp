#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/png.hpp"
#include "support/log_capture.hpp"
#include "support/png_writer.hpp"
#include "support/test_support.hpp"

namespace {

struct Loaded {
    bool ok = false;
    std::uint32_t width = 7, height = 7;  // load_png must reset these
    std::vector<std::uint32_t> pixels{1, 2, 3};
    std::string out, err;
};

Loaded load(const std::string& path)
{
    Loaded result;
    LogCapture log;
    result.ok = load_png(path, result.width, result.height, result.pixels), result.out = log.out();
    result.err = log.err();
    return result;
}

std::vector<std::uint32_t> bottom_first(const std::vector<std::uint32_t>& top_down, std::uint32_t width)
{
    std::vector<std::uint32_t> rows;
    for (std::size_t end = top_down.size(); end > 0; end -= width)
        rows.insert(rows.end(), top_down.begin() + (end - width), top_down.begin() + end);
    return rows;
}

struct FormatCase {
    const char* name;
    TestPng image;
    std::vector<std::uint32_t> top_down;
};

TestPng stored(std::uint32_t width, std::uint32_t height, int color_type, int bit_depth,
               std::vector<std::vector<png_byte>> rows)
{
    TestPng image;
    image.width = width, image.height = height, image.color_type = color_type, image.bit_depth = bit_depth;
    image.rows = std::move(rows);
    return image;
}

std::vector<FormatCase> format_cases()
{
    const std::uint32_t white = rgba_word(255, 255, 255), black = rgba_word(0, 0, 0);
    std::vector<FormatCase> cases = {
        {"gray 1-bit", stored(3, 2, PNG_COLOR_TYPE_GRAY, 1, {{0xA0}, {0x40}}),
         {white, black, white, black, white, black}},
        {"gray+alpha 8-bit", stored(2, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {{0x80, 0x40, 0xFF, 0x00}, {0, 0xFF, 1, 2}}),
         {rgba_word(0x80, 0x80, 0x80, 0x40), rgba_word(255, 255, 255, 0), rgba_word(0, 0, 0, 255), rgba_word(1, 1, 1, 2)}},
        {"RGB 16-bit", stored(1, 2, PNG_COLOR_TYPE_RGB, 16, {{0x11, 0x22, 0x33, 0x44, 0x55, 0x66}, {0xFF, 0, 0, 0xFF, 0x80, 0x80}}),
         {rgba_word(0x11, 0x33, 0x55), rgba_word(0xFF, 0x00, 0x80)}},
    };

    std::vector<std::uint32_t> words;
    for (std::uint32_t i = 0; i < 15; ++i)
        words.push_back(rgba_word(i * 16, 255 - i, i % 3 * 100, 255 - i * 10));
    cases.push_back({"RGBA 8-bit 3x5", rgba_png(3, 5, words), words});

    // 2-bit indices 0, 1, 2 packed high bits first; tRNS covers only the first two entries.
    TestPng transparent = stored(3, 1, PNG_COLOR_TYPE_PALETTE, 2, {{0x18}});
    transparent.palette = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}};
    transparent.palette_alpha = {0x00, 0x80};
    cases.push_back({"palette with tRNS", transparent,
                     {rgba_word(10, 20, 30, 0), rgba_word(40, 50, 60, 0x80), rgba_word(70, 80, 90, 255)}});

    std::vector<std::uint32_t> grid;
    for (std::uint32_t y = 0; y < 9; ++y)
        for (std::uint32_t x = 0; x < 7; ++x)
            grid.push_back(rgba_word(x * 30, y * 25, 7, 255 - x - y));
    TestPng interlaced = rgba_png(7, 9, grid);
    interlaced.interlaced = true;
    cases.push_back({"interlaced RGBA", interlaced, grid});
    return cases;
}

TEST(PngLoad, EveryFormatGivesRgbaWordsBottomRowFirst)
{
    TempDir dir;
    for (const FormatCase& c : format_cases()) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file("image.png");
        ASSERT_TRUE(write_test_png(path, c.image));
        const Loaded result = load(path);
        ASSERT_TRUE(result.ok);
        EXPECT_TRUE(result.width == c.image.width && result.height == c.image.height);
        EXPECT_EQ(result.pixels, bottom_first(c.top_down, c.image.width));
        EXPECT_EQ(result.out, "");
    }
}

void expect_refused(const Loaded& result, const std::string& message)
{
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.width == 0 && result.height == 0 && result.pixels.empty());
    EXPECT_EQ(result.out, message);
    // libpng's own reason, when it gives one, goes to the error stream.
    EXPECT_TRUE(result.err.empty() || result.err.find("libpng error: ") != std::string::npos) << result.err;
}

TEST(PngRefuse, MissingAndDamagedFiles)
{
    TempDir dir;
    expect_refused(load(dir.file("nothing.png")), "  cannot open file.\n");
    const std::string good_path = dir.file("good.png");
    std::vector<std::uint32_t> noise;
    for (std::uint32_t i = 0; i < 32 * 32; ++i)
        noise.push_back(i * 2654435761u);
    ASSERT_TRUE(write_test_png(good_path, rgba_png(32, 32, noise)));
    const std::vector<unsigned char> good = read_file_bytes(good_path);
    ASSERT_TRUE(load(good_path).ok);

    const std::string text = "GIF89a, or anything else that is not a picture";
    const struct {
        const char* name;
        std::vector<unsigned char> bytes;
    } cases[] = {
        {"empty", {}},
        {"signature only", {good.begin(), good.begin() + 8}},
        {"cut in the image data", {good.begin(), good.begin() + static_cast<std::ptrdiff_t>(good.size() / 2)}},
        {"garbage", {text.begin(), text.end()}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        write_file_bytes(dir.file("bad.png"), c.bytes);
        expect_refused(load(dir.file("bad.png")), "  png interal error.\n");
    }
}

TEST(PngRefuse, SidesUpTo16384AreAcceptedOneMoreIsRefusedBeforeAllocating)
{
    TempDir dir;
    const std::string path = dir.file("wide.png");
    for (const std::uint32_t side : {16384u, 16385u})
        for (const bool wide : {true, false}) {
            ASSERT_TRUE(write_test_png(path, rgba_png(wide ? side : 1, wide ? 1 : side, std::vector<std::uint32_t>(side))));
            const Loaded result = load(path);
            if (side == 16385)
                expect_refused(result, "  png interal error.\n");
            else
                EXPECT_TRUE(result.ok && result.pixels.size() == side && result.width * result.height == side);
        }
}

}  // namespace
