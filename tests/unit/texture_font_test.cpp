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
Bytes two_glyphs(bool big_endian)
{
    TxfBuilder b;
    b.big_endian = big_endian, b.width = 4, b.height = 2, b.ascent = 3, b.descent = 1;
    b.glyph('A', 2, 2, 0, -1, 3, 1, 0).glyph(0x105, 1, 1, 1, 0, 2, 3, 1);
    b.atlas = {0, 10, 20, 30, 40, 50, 60, 70};
    return b.bytes();
}

// Advances A = 10, B = 7, c = 5, 1 = 3, x = 4, M = 100: a counted M shows at once.
std::unique_ptr<TextureFont> mixed_case_font()
{
    TxfBuilder b;
    b.width = 16;
    b.glyph('A', 2, 2, 0, 0, 10, 0, 0).glyph('B', 2, 2, 0, 0, 7, 2, 0).glyph('c', 2, 2, 0, 0, 5, 4, 0);
    b.glyph('1', 2, 2, 0, 0, 3, 6, 0).glyph('x', 2, 2, 0, 0, 4, 8, 0).glyph('M', 2, 2, 0, 0, 100, 10, 0);
    return load_bytes(b.fill_atlas(0).bytes());
}

constexpr int whole = -1000;

float width_of(const TextureFont& font, const std::string& text, int length = whole)
{
    return measure_text(font, text.data(), length == whole ? static_cast<int>(text.size()) : length).width;
}

// A 32-byte header, two 12-byte records and a 32-byte atlas, unless changed.
Bytes font_bytes(int format = 0, int width = 8, int height = 4, int count = 2, std::size_t keep = 1000)
{
    TxfBuilder b;
    b.format = format, b.width = width, b.height = height, b.count_override = true, b.count = count;
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

TEST(TextureFontLoad, BothByteOrdersGiveTheSameFontWithQuadsFromLowerLeftAtHalfTexels)
{
    const auto little = load_bytes(two_glyphs(false));
    const auto big = load_bytes(two_glyphs(true));
    ASSERT_TRUE(little && big) << texture_font_error();
    EXPECT_TRUE(big->big_endian && !little->big_endian);
    for (const TextureFont* font : {little.get(), big.get()}) {
        EXPECT_EQ(font->image_width * 10 + font->image_height, 42);
        EXPECT_EQ(font->ascent * 10 + font->descent, 31);
        EXPECT_EQ(font->code_range, 0x105 - 0x41 + 1);
        EXPECT_EQ(font->image, (std::vector<std::uint8_t>{0, 10, 20, 30, 40, 50, 60, 70}));
        const FontGlyph& g = font->glyphs.at(1);
        EXPECT_TRUE(g.code == 0x105 && g.x == 3 && g.y == 1 && g.x_offset == 1 && g.advance == 2);
        // W = 4, H = 2: half a texel is 0.125 across and 0.25 up.
        const GlyphQuad& a = font->quads[0];
        const float s[4] = {0.375f, 0.875f, 0.875f, 0.375f}, t[4] = {0.25f, 0.25f, 1.25f, 1.25f};
        const float vx[4] = {0, 2, 2, 0}, vy[4] = {-1, -1, 1, 1};
        for (int c = 0; c < 4; ++c)
            EXPECT_TRUE(a.corners[c].tex[0] == s[c] && a.corners[c].tex[1] == t[c] && a.corners[c].vertex[0] == vx[c] &&
                        a.corners[c].vertex[1] == vy[c])
                << c;
        EXPECT_EQ(a.advance, 3.0f);
    }
}

TEST(TextureFontLoad, DamagedFilesAreRefusedWithTheirReason)
{
    const char* const bad = "not a texture font file.";
    const char* const short_file = "premature end of file.";
    const struct {
        const char* name;
        Bytes bytes;
        const char* reason;
    } cases[] = {
        {"empty", {}, bad},
        {"short magic", font_bytes(0, 8, 4, 2, 3), bad},
        {"wrong magic", changed(font_bytes(), 1, 'T'), bad},
        {"no byte order word", font_bytes(0, 8, 4, 2, 6), bad},
        {"wrong byte order word", changed(font_bytes(), 4, 0x34), bad},
        {"header cut short", font_bytes(0, 8, 4, 2, 31), short_file},
        {"no glyphs", font_bytes(0, 8, 4, 0), bad},
        {"negative glyph count", font_bytes(0, 8, 4, -3), bad},
        {"records cut short", font_bytes(0, 8, 4, 2, 32 + 12 + 11), short_file},
        {"huge glyph count", font_bytes(0, 8, 4, 0x7FFFFFFF), short_file},
        {"atlas cut short", font_bytes(0, 8, 4, 2, 32 + 24 + 31), short_file},
        {"bitmap atlas cut short", font_bytes(1, 20, 16, 2, 32 + 24 + 47), short_file},
        {"zero width", font_bytes(0, 0, 4), bad},
        {"negative height", font_bytes(0, 8, -4), bad},
        {"width past sixteen bits", font_bytes(0, 40000, 4), bad},
        {"largest atlas without its bytes", font_bytes(0, 32768, 32768), short_file},
    };
    LogCapture log;
    for (const auto& c : cases) {
        EXPECT_EQ(load_bytes(c.bytes), nullptr) << c.name;
        EXPECT_EQ(texture_font_error(), c.reason) << c.name;
    }
    EXPECT_EQ(log.out() + log.err(), "");
    TempDir dir;
    EXPECT_EQ(load_texture_font(dir.file("absent.txf")), nullptr);
    EXPECT_EQ(texture_font_error(), "file open failed.");
    ASSERT_NE(load_bytes(font_bytes()), nullptr);
    EXPECT_EQ(texture_font_error(), "file open failed.") << "a success leaves the last reason";
}

TEST(TextureFontGlyphs, EachCaseStandsInForTheOtherAndMissingCharactersAreReportedAndListed)
{
    const auto font = mixed_case_font();
    ASSERT_TRUE(font);
    LogCapture log;
    EXPECT_EQ(glyph_for(*font, 'a'), &font->quads[0]);
    EXPECT_EQ(glyph_for(*font, 'C'), &font->quads[2]);
    EXPECT_EQ(width_of(*font, "abC"), 22.0f);
    EXPECT_EQ(log.err(), "");
    for (int code : {int('z'), int('Q'), 7, -23, 0x10000})
        EXPECT_EQ(glyph_for(*font, code), nullptr) << code;
    EXPECT_EQ(width_of(*font, "A?B\xE9"), 17.0f);
    EXPECT_NE(log.err().find("unavailable font character \"?\" (63)\n"), std::string::npos);
    EXPECT_EQ(font_problems(*font), std::vector<std::string>{
                                        "no glyph in either case for \" !\"#$%&'()*+,-./02345678"
                                        "9:;<=>?@DEFGHIJKLNOPQRSTUVWYZ[\\]^_`defghijklnopqrstuvwyz{|}~\""});
}

TEST(TextureFontMeasure, AddsAdvancesUpToTheLengthAndSkipsEscapes)
{
    const auto font = mixed_case_font();
    ASSERT_TRUE(font);
    const TextMetrics m = measure_text(*font, "AB1c", 4);
    EXPECT_TRUE(m.width == 10.0f + 7.0f + 3.0f + 5.0f && m.ascent == 6 && m.descent == 2);
    LogCapture log;
    // Escapes take no room; one near the end skips no further than the length.
    const struct {
        const char* text;
        int length;
        float width;
    } widths[] = {{"AB1c", 2, 17}, {"AB1c", 0, 0}, {"AB1c", -5, 0}, {"A\x1bMMMMB", whole, 17}, {"A\x1bxB", whole, 21},
                  {"A\x1bLMMMMMMB", whole, 17}, {"A\x1bTMMMMMMB", whole, 17}, {"A\x1b" "FMMMMMMMMMMMMB", whole, 17},
                  {"A\x1b" "FMMMMMMMMMMMB", whole, 10}, {"A\x1b" "FMMMM", 2, 10}, {"A\x1b" "FMMMM", 3, 10}};
    for (const auto& c : widths)
        EXPECT_EQ(width_of(*font, c.text, c.length), c.width) << c.text << " " << c.length;
    EXPECT_EQ(log.err(), "");
}
