#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>

#include "render/font_maker.hpp"
#include "render/gl.hpp"
#include "render/gui_font.hpp"
#include "support/gl_fixture.hpp"

namespace {

class FontDraw : public GlTest {
protected:
    static void SetUpTestSuite()
    {
        folder = new TempDir;
        std::string error;
        const auto font = make_texture_font("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 48, error);
        ASSERT_TRUE(font) << error;
        ASSERT_TRUE(save_texture_font(font_path(), *font));
    }
    static void TearDownTestSuite()
    {
        free_fonts();
        delete folder;
    }
    static std::string font_path() { return folder->file("dejavu.txf"); }

    // Lit pixels in a box of window pixels, and the bounding box of those lit.
    struct Ink {
        int lit = 0, left = INT_MAX, right = -1, bottom = INT_MAX, top = -1;
    };
    static Ink find_ink(int x0 = 0, int y0 = 0, int x1 = gl_test_width, int y1 = gl_test_height)
    {
        int width = 0, height = 0;
        const std::vector<std::uint8_t> rgba = read_rgba(width, height);
        Ink ink;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                if (rgba[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4] > 40) {
                    ++ink.lit;
                    ink.left = std::min(ink.left, x), ink.right = std::max(ink.right, x);
                    ink.bottom = std::min(ink.bottom, y), ink.top = std::max(ink.top, y);
                }
        return ink;
    }

    static inline TempDir* folder = nullptr;
};

}  // namespace

TEST_F(FontDraw, TextFillsItsBoxAndSmallSizesStayInsideTheirLines)
{
    const GuiFont gui(font_path());
    ASSERT_NE(gui.font, nullptr);
    // The glyphs that set the font's ascent and descent reach both edges of the box.
    const auto& glyphs = gui.font->glyphs;
    const FontGlyph& tallest = *std::max_element(glyphs.begin(), glyphs.end(), [](auto& a, auto& b) {
        return a.y_offset + a.height < b.y_offset + b.height;
    });
    const FontGlyph& lowest =
        *std::min_element(glyphs.begin(), glyphs.end(), [](auto& a, auto& b) { return a.y_offset < b.y_offset; });
    const std::string text = std::string("Slivermere Agy ") + char(tallest.code) + char(lowest.code);
    const double width = gui.text_width(text, 0.2);
    gui.draw_text(Vector2(-1.1, -0.3), text, 0.2);
    int left = 0, bottom = 0, right = 0, top = 0;
    to_pixel(-1.1, -0.3, left, bottom);
    to_pixel(-1.1 + width, -0.1, right, top);
    const Ink ink = find_ink();
    EXPECT_GT(ink.lit, (right - left) * (top - bottom) / 8);
    EXPECT_NEAR(ink.bottom, bottom, 2);
    EXPECT_NEAR(ink.top, top, 2);
    EXPECT_TRUE(ink.left <= left + 6 && ink.right <= right + 2 && ink.right > right - 30);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // Between one small line's box and the next only background, at every mipmap level.
    glClear(GL_COLOR_BUFFER_BIT);
    const std::string pangram = "The quick brown fox jumps over the lazy dog 0123456789 {[(@#$%&)]}";
    double y = -0.9;
    for (const double h : {0.025, 0.05, 0.1}) {
        gui.draw_text(Vector2(-1.3, y), pangram, h), gui.draw_text(Vector2(-1.3, y + h + 0.12), pangram, h);
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        to_pixel(-1.3, y + h, x0, y0);
        to_pixel(-1.3 + gui.text_width(pangram, h), y + h + 0.12, x1, y1);
        EXPECT_EQ(find_ink(x0, y0 + 3, std::min(x1, gl_test_width), y1 - 3).lit, 0) << "above the line of height " << h;
        y += 2 * (h + 0.12);
    }
}

// A missing font's fallback and refusal are the damaged-data end-to-end cases.
TEST_F(FontDraw, TextureNamesSurviveAReload)
{
    TextureFont* font = get_font(font_path());
    ASSERT_NE(font, nullptr);
    const unsigned int texture = font->texture;
    reload_fonts();
    EXPECT_EQ(font->texture, texture);
    GuiFont(font_path()).draw_text(Vector2(-1, -0.1), "Reloaded", 0.2);
    EXPECT_GT(find_ink().lit, 1000);
}
