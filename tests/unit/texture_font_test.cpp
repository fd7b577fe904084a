#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/texture_font.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"
#include "support/txf_builder.hpp"

using Bytes = std::vector<unsigned char>;

namespace {

std::unique_ptr<TextureFont> load_bytes(const Bytes& bytes)
{
    TempDir dir;
    write_file_bytes(dir.file("font.txf"), bytes);
    return load_texture_font(dir.file("font.txf"));
}

// 'A' at (1, 0) as a 2x2 box and code 0x0105 at (3, 1) as a 1x1 box in a 4x2 atlas.
const Bytes little_endian_font{
    0xFF, 't', 'x', 'f', 0x78, 0x56, 0x34, 0x12,
    0, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0,
    0x41, 0x00, 2, 2, 0x00, 0xFF, 3, 0, 0x01, 0x00, 0x00, 0x00,
    0x05, 0x01, 1, 1, 0x01, 0x00, 2, 0, 0x03, 0x00, 0x01, 0x00,
    0, 10, 20, 30, 40, 50, 60, 70};

const Bytes big_endian_font{
    0xFF, 't', 'x', 'f', 0x12, 0x34, 0x56, 0x78,
    0, 0, 0, 0, 0, 0, 0, 4, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 2,
    0x00, 0x41, 2, 2, 0x00, 0xFF, 3, 0, 0x00, 0x01, 0x00, 0x00,
    0x01, 0x05, 1, 1, 0x01, 0x00, 2, 0, 0x00, 0x03, 0x00, 0x01,
    0, 10, 20, 30, 40, 50, 60, 70};

// Advances A = 10, B = 7, c = 5, 1 = 3, x = 4, M = 100: a counted M shows at once.
std::unique_ptr<TextureFont> mixed_case_font()
{
    TxfBuilder b;
    b.width = 16;
    b.glyph('A', 2, 2, 0, 0, 10, 0, 0).glyph('B', 2, 2, 0, 0, 7, 2, 0).glyph('c', 2, 2, 0, 0, 5, 4, 0);
    b.glyph('1', 2, 2, 0, 0, 3, 6, 0).glyph('x', 2, 2, 0, 0, 4, 8, 0).glyph('M', 2, 2, 0, 0, 100, 10, 0);
    return load_bytes(b.fill_atlas(0).bytes());
}

float width_of(const TextureFont& font, const std::string& text)
{
    return measure_text(font, text.data(), static_cast<int>(text.size())).width;
}

}  // namespace

TEST(TextureFontLoad, BothByteOrdersGiveTheSameFont)
{
    const auto little = load_bytes(little_endian_font);
    const auto big = load_bytes(big_endian_font);
    ASSERT_TRUE(little && big) << texture_font_error();
    EXPECT_FALSE(little->big_endian);
    EXPECT_TRUE(big->big_endian);
    for (const TextureFont* font : {little.get(), big.get()}) {
        EXPECT_EQ(font->texture, 0u);
        EXPECT_EQ(font->image_width, 4);
        EXPECT_EQ(font->image_height, 2);
        EXPECT_EQ(font->ascent, 3);
        EXPECT_EQ(font->descent, 1);
        EXPECT_EQ(font->glyph_count, 2);
        EXPECT_EQ(font->first_code, 0x41);
        EXPECT_EQ(font->code_range, 0x105 - 0x41 + 1);
        EXPECT_EQ(font->image, (std::vector<std::uint8_t>{0, 10, 20, 30, 40, 50, 60, 70}));
        const FontGlyph& g = font->glyphs.at(1);
        EXPECT_EQ(g.code, 0x105);
        EXPECT_EQ(g.x, 3);
        EXPECT_EQ(g.y, 1);
        EXPECT_EQ(g.x_offset, 1);
        EXPECT_EQ(g.advance, 2);
        EXPECT_EQ(font->glyphs[0].y_offset, -1);
    }
    for (int q = 0; q < 2; ++q) {
        EXPECT_EQ(little->quads[q].advance, big->quads[q].advance);
        for (int c = 0; c < 4; ++c) {
            const GlyphQuad::Corner &a = little->quads[q].corners[c], &b = big->quads[q].corners[c];
            EXPECT_TRUE(a.tex[0] == b.tex[0] && a.tex[1] == b.tex[1] && a.vertex[0] == b.vertex[0] &&
                        a.vertex[1] == b.vertex[1]) << "quad " << q << " corner " << c;
        }
    }
}

TEST(TextureFontLoad, QuadsRunFromLowerLeftWithHalfTexelCoordinates)
{
    const auto font = load_bytes(little_endian_font);
    ASSERT_TRUE(font);
    // W = 4, H = 2: half a texel is 0.125 across and 0.25 up.
    const GlyphQuad& a = font->quads[0];
    const float s[4] = {0.375f, 0.875f, 0.875f, 0.375f}, t[4] = {0.25f, 0.25f, 1.25f, 1.25f};
    const int vx[4] = {0, 2, 2, 0}, vy[4] = {-1, -1, 1, 1};
    for (int c = 0; c < 4; ++c) {
        EXPECT_EQ(a.corners[c].tex[0], s[c]) << c;
        EXPECT_EQ(a.corners[c].tex[1], t[c]) << c;
        EXPECT_EQ(a.corners[c].vertex[0], vx[c]) << c;
        EXPECT_EQ(a.corners[c].vertex[1], vy[c]) << c;
    }
    EXPECT_EQ(a.advance, 3.0f);

    TxfBuilder b;
    b.width = 256;
    b.glyph('A', 16, 2, 0, 0, 16, 0, 0);
    const auto wide = load_bytes(b.fill_atlas(0).bytes());
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->quads[0].corners[0].tex[0], 0.5f / 256);
}

TEST(TextureFontLoad, BitmapAtlasExpandsLeastSignificantBitFirst)
{
    TxfBuilder b;
    b.format = 1;
    b.width = 10;
    b.height = 2;
    b.glyph('A', 1, 1, 0, 0, 1, 0, 0);
    // Two bytes per row; the second byte of each row holds columns 8 and 9.
    b.atlas = {0b00000101, 0b00000010, 0b10000000, 0b11111101};
    const auto font = load_bytes(b.bytes());
    ASSERT_TRUE(font) << texture_font_error();
    EXPECT_EQ(font->image, (std::vector<std::uint8_t>{255, 0, 255, 0, 0, 0, 0, 0, 0, 255,  //
                                                      0, 0, 0, 0, 0, 0, 0, 255, 255, 0}));
}

TEST(TextureFontLoad, OddFilesThatStillLoad)
{
    TxfBuilder other;
    other.format = 7;
    other.glyph('A', 1, 1, 0, 0, 4, 0, 0).glyph('A', 1, 1, 0, 0, 9, 1, 0);
    const auto no_atlas = load_bytes(other.bytes());
    ASSERT_TRUE(no_atlas) << texture_font_error();
    EXPECT_TRUE(no_atlas->image.empty());
    EXPECT_EQ(glyph_for(*no_atlas, 'A')->advance, 9.0f) << "the later record of a code wins";

    TxfBuilder past;
    past.width = 4;
    past.height = 4;
    past.glyph('A', 6, 3, 0, 0, 6, 2, -1);
    const auto font = load_bytes(past.fill_atlas(0).bytes());
    ASSERT_TRUE(font) << texture_font_error();
    EXPECT_EQ(font->quads[0].corners[1].tex[0], 8.0f / 4 + 0.125f);
    EXPECT_EQ(font->quads[0].corners[0].tex[1], -1.0f / 4 + 0.125f);
    EXPECT_EQ(font_problems(*font).at(0), "glyph 65: box 2,-1 size 6x3 reaches past the 4x4 atlas");
}

struct RefusedCase {
    const char* name;
    Bytes bytes;
    const char* reason;
};

class TextureFontRefused : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(TextureFontRefused, GivesItsReason)
{
    LogCapture log;
    EXPECT_EQ(load_bytes(GetParam().bytes), nullptr);
    EXPECT_EQ(texture_font_error(), GetParam().reason);
    EXPECT_EQ(log.out() + log.err(), "");
}

namespace {

// A 32-byte header, two 12-byte records and a 32-byte atlas, unless changed.
Bytes font_bytes(int format = 0, int width = 8, int height = 4, int count = 2, std::size_t keep = 1000)
{
    TxfBuilder b;
    b.format = format;
    b.width = width;
    b.height = height;
    b.count_override = true;
    b.count = count;
    b.glyph('A', 2, 2, 0, 0, 3, 0, 0).glyph('B', 2, 2, 0, 0, 3, 2, 0);
    if (width > 0 && height > 0 && width * height < 1000)
        b.fill_atlas(1);
    Bytes bytes = b.bytes();
    bytes.resize(std::min(keep, bytes.size()));
    return bytes;
}

Bytes changed(Bytes bytes, std::size_t at, unsigned char value)
{
    bytes[at] = value;
    return bytes;
}

}  // namespace

INSTANTIATE_TEST_SUITE_P(
    Damaged, TextureFontRefused,
    ::testing::Values(
        RefusedCase{"EmptyFile", {}, "not a texture font file."},
        RefusedCase{"ShortMagic", font_bytes(0, 8, 4, 2, 3), "not a texture font file."},
        RefusedCase{"WrongMagic", changed(font_bytes(), 1, 'T'), "not a texture font file."},
        RefusedCase{"NoByteOrderWord", font_bytes(0, 8, 4, 2, 6), "not a texture font file."},
        RefusedCase{"WrongByteOrderWord", changed(font_bytes(), 4, 0x34), "not a texture font file."},
        RefusedCase{"HeaderCutShort", font_bytes(0, 8, 4, 2, 31), "premature end of file."},
        RefusedCase{"NoGlyphs", font_bytes(0, 8, 4, 0), "not a texture font file."},
        RefusedCase{"NegativeGlyphCount", font_bytes(0, 8, 4, -3), "not a texture font file."},
        RefusedCase{"RecordsCutShort", font_bytes(0, 8, 4, 2, 32 + 12 + 11), "premature end of file."},
        RefusedCase{"HugeGlyphCount", font_bytes(0, 8, 4, 0x7FFFFFFF), "premature end of file."},
        RefusedCase{"AtlasCutShort", font_bytes(0, 8, 4, 2, 32 + 24 + 31), "premature end of file."},
        RefusedCase{"BitmapAtlasCutShort", font_bytes(1, 20, 16, 2, 32 + 24 + 47), "premature end of file."},
        RefusedCase{"ZeroWidth", font_bytes(0, 0, 4), "not a texture font file."},
        RefusedCase{"NegativeHeight", font_bytes(0, 8, -4), "not a texture font file."},
        RefusedCase{"WidthPastSixteenBits", font_bytes(0, 40000, 4), "not a texture font file."},
        RefusedCase{"LargestAtlasWithoutItsBytes", font_bytes(0, 32768, 32768), "premature end of file."}),
    [](const ::testing::TestParamInfo<RefusedCase>& param) { return std::string(param.param.name); });

TEST(TextureFontRefusedFile, MissingFileAndTheLastReason)
{
    TempDir dir;
    EXPECT_EQ(load_texture_font(dir.file("absent.txf")), nullptr);
    EXPECT_EQ(texture_font_error(), "file open failed.");
    ASSERT_NE(load_bytes(font_bytes()), nullptr);
    EXPECT_EQ(texture_font_error(), "file open failed.") << "a success leaves the last reason";
}

TEST(TextureFontGlyphs, EachCaseStandsInForTheOther)
{
    TxfBuilder upper, lower;
    upper.glyph('A', 1, 1, 0, 0, 5, 0, 0).glyph('B', 1, 1, 0, 0, 6, 1, 0).glyph('C', 1, 1, 0, 0, 7, 2, 0);
    lower.glyph('a', 1, 1, 0, 0, 5, 0, 0).glyph('b', 1, 1, 0, 0, 6, 1, 0).glyph('c', 1, 1, 0, 0, 7, 2, 0);
    const auto capitals = load_bytes(upper.fill_atlas(0).bytes());
    const auto smalls = load_bytes(lower.fill_atlas(0).bytes());
    ASSERT_TRUE(capitals && smalls);
    LogCapture log;
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(glyph_for(*capitals, 'a' + i), &capitals->quads[i]);
        EXPECT_EQ(glyph_for(*smalls, 'A' + i), &smalls->quads[i]);
    }
    EXPECT_EQ(width_of(*capitals, "abc"), 18.0f);
    EXPECT_EQ(width_of(*smalls, "ABC"), 18.0f);
    EXPECT_EQ(log.err(), "");
}

TEST(TextureFontGlyphs, MissingCharactersAreReportedAndListed)
{
    const auto font = mixed_case_font();
    ASSERT_TRUE(font);
    LogCapture log;
    for (int code : {int('z'), int('Q'), int('2'), 7, -23, 0x10000})
        EXPECT_EQ(glyph_for(*font, code), nullptr) << code;
    EXPECT_EQ(width_of(*font, "A?B\xE9"), 17.0f);
    EXPECT_EQ(log.err(),
              "texfont: tried to access unavailable font character \"z\" (122)\n"
              "texfont: tried to access unavailable font character \"Q\" (81)\n"
              "texfont: tried to access unavailable font character \"2\" (50)\n"
              "texfont: tried to access unavailable font character \" \" (7)\n"
              "texfont: tried to access unavailable font character \" \" (-23)\n"
              "texfont: tried to access unavailable font character \" \" (65536)\n"
              "texfont: tried to access unavailable font character \"?\" (63)\n"
              "texfont: tried to access unavailable font character \" \" (-23)\n");
    EXPECT_EQ(log.out(), "");
    EXPECT_EQ(font_problems(*font), std::vector<std::string>{
        "no glyph in either case for \" !\"#$%&'()*+,-./02345678"
        "9:;<=>?@DEFGHIJKLNOPQRSTUVWYZ[\\]^_`defghijklnopqrstuvwyz{|}~\""});
}

TEST(TextureFontMeasure, AddsAdvancesSkipsEscapesAndGivesTheFontsExtents)
{
    const auto font = mixed_case_font();
    ASSERT_TRUE(font);
    const TextMetrics m = measure_text(*font, "AB1c", 4);
    EXPECT_EQ(m.width, 10.0f + 7.0f + 3.0f + 5.0f);
    EXPECT_EQ(m.ascent, 6);
    EXPECT_EQ(m.descent, 2);
    EXPECT_EQ(measure_text(*font, "AB1c", 2).width, 17.0f);
    EXPECT_EQ(measure_text(*font, "AB1c", 0).width, 0.0f);
    EXPECT_EQ(measure_text(*font, "AB1c", -5).width, 0.0f);

    // Escape sequences take no room.
    LogCapture log;
    EXPECT_EQ(width_of(*font, "A\x1bMMMMB"), 17.0f);
    EXPECT_EQ(width_of(*font, "A\x1bxB"), 21.0f);
    EXPECT_EQ(width_of(*font, "A\x1bLMMMMMMB"), 17.0f);
    EXPECT_EQ(width_of(*font, "A\x1bTMMMMMMB"), 17.0f);
    EXPECT_EQ(width_of(*font, "A\x1b" "FMMMMMMMMMMMMB"), 17.0f);
    EXPECT_EQ(width_of(*font, "A\x1b" "FMMMMMMMMMMMB"), 10.0f);
    // An escape near the end skips no further than the length: the Ms past it would count.
    EXPECT_EQ(measure_text(*font, "A\x1b" "FMMMM", 2).width, 10.0f);
    EXPECT_EQ(measure_text(*font, "A\x1b" "FMMMM", 3).width, 10.0f);
    EXPECT_EQ(log.err(), "");
}

TEST(TextureFontRasterize, GlyphsSitOnTheBaselineAndReadsStayInTheAtlas)
{
    TxfBuilder b;
    b.width = 2;
    b.height = 3;
    b.ascent = 2;
    b.descent = 1;
    // 'A' stands on the baseline; 'g' hangs one texel below it, and its box
    // runs two columns past the atlas, which read the last column instead.
    b.glyph('A', 1, 2, 0, 0, 2, 1, 0).glyph('g', 3, 2, 0, -1, 3, 1, 1);
    b.atlas = {0, 255, 0, 255, 0, 255};
    const auto font = load_bytes(b.bytes());
    ASSERT_TRUE(font);
    int width = 0, height = 0;
    const std::vector<std::uint8_t> rgba = rasterize_text(*font, "Ag", width, height);
    ASSERT_EQ(width, 5 + 2 * 4);
    ASSERT_EQ(height, 3 + 2 * 4);
    ASSERT_EQ(rgba.size(), static_cast<std::size_t>(width * height * 4));
    std::string picture;
    for (int y = 3; y < 8; ++y)
        for (int x = 3; x < 10; ++x)
            picture += rgba[(static_cast<std::size_t>(y) * width + x) * 4] == 0 ? '#' : '.';
    EXPECT_EQ(picture,
              "......."
              ".#....."
              ".#.###."
              "...###."
              ".......");
}
