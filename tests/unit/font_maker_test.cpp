#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "render/font_maker.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

const char dejavu_sans[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class FontMaker : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        std::string error;
        made = make_texture_font(dejavu_sans, 32, error).release();
        ASSERT_NE(made, nullptr) << error;
    }
    static void TearDownTestSuite() { delete made; }

    static const FontGlyph& glyph(char c) { return made->glyphs[c - 32]; }
    static float width_of(const std::string& text)
    {
        return measure_text(*made, text.data(), static_cast<int>(text.size())).width;
    }

    static inline TextureFont* made = nullptr;
};

}  // namespace

TEST_F(FontMaker, CoversPrintableAsciiMeasuresLikeTextAndSharesOneBaseline)
{
    EXPECT_EQ(made->glyph_count, 95);
    EXPECT_EQ(glyph('~').code, 126);
    EXPECT_TRUE(font_problems(*made).empty()) << "every box lies inside the atlas";
    const int w = made->image_width, h = made->image_height;
    EXPECT_TRUE(w >= h && (w & (w - 1)) == 0 && (h & (h - 1)) == 0) << w << " x " << h;
    EXPECT_GT(width_of("W"), 2 * width_of("i"));
    // Boxes keep one empty texel below the ink, so a letter standing on the
    // baseline has its box one texel below it.
    EXPECT_EQ(glyph('x').y_offset, -1);
    int lowest = 0;
    for (const FontGlyph& g : made->glyphs)
        lowest = std::min<int>(lowest, g.y_offset);
    EXPECT_EQ(made->descent, -lowest - 1);
}

TEST_F(FontMaker, SavedFileLoadsBackUnchanged)
{
    TempDir dir;
    ASSERT_TRUE(save_texture_font(dir.file("dejavu.txf"), *made));
    const std::vector<unsigned char> bytes = read_file_bytes(dir.file("dejavu.txf"));
    ASSERT_EQ(bytes.size(), 32u + 95 * 12 + made->image.size());
    EXPECT_EQ(std::vector<unsigned char>(bytes.begin(), bytes.begin() + 12),
              (std::vector<unsigned char>{0xFF, 't', 'x', 'f', 0x78, 0x56, 0x34, 0x12, 0, 0, 0, 0}));
    // Every field the loader reads is written: a second save is the same file.
    const auto loaded = load_texture_font(dir.file("dejavu.txf"));
    ASSERT_TRUE(loaded) << texture_font_error();
    EXPECT_EQ(loaded->image, made->image);
    ASSERT_TRUE(save_texture_font(dir.file("again.txf"), *loaded));
    EXPECT_EQ(read_file_bytes(dir.file("again.txf")), bytes);
}

TEST(FontMakerFailure, ReportsWhatWentWrong)
{
    std::string error;
    EXPECT_EQ(make_texture_font("/nonexistent/font.ttf", 32, error), nullptr);
    EXPECT_EQ(error, "cannot read a font from /nonexistent/font.ttf");
    EXPECT_EQ(make_texture_font(dejavu_sans, 0, error), nullptr);
    EXPECT_EQ(error, "pixel size must be between 1 and 127");
    // Bold 'W' is wider than an em, past the 127 texels an advance can hold.
    EXPECT_EQ(make_texture_font("/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf", 127, error), nullptr);
    EXPECT_EQ(error, "character 87 is too large for a texture font at pixel size 127");

    LogCapture log;
    EXPECT_FALSE(save_texture_font("/nonexistent/dir/font.txf", TextureFont()));
    TextureFont font = *make_texture_font(dejavu_sans, 8, error);
    EXPECT_FALSE(save_texture_font("/nonexistent/dir/font.txf", font));
    EXPECT_EQ(log.err(),
              "Cannot write /nonexistent/dir/font.txf: not a complete font with a one-byte atlas.\n"
              "Cannot write /nonexistent/dir/font.txf: No such file or directory\n");
}
