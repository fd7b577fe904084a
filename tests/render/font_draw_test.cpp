#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <string>

#include "render/font_maker.hpp"
#include "render/gl.hpp"
#include "render/gui_font.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

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

    struct Ink {
        int lit = 0;
        int left = INT_MAX, right = -1, bottom = INT_MAX, top = -1;
    };
    // Lit pixels of the whole window and their bounding box, in window pixels.
    static Ink find_ink()
    {
        int width = 0, height = 0;
        const std::vector<std::uint8_t> rgba = read_rgba(width, height);
        Ink ink;
        for (int row = 0; row < height; ++row)
            for (int x = 0; x < width; ++x)
                if (rgba[(static_cast<std::size_t>(row) * width + x) * 4] > 40) {
                    const int y = height - 1 - row;
                    ++ink.lit;
                    ink.left = std::min(ink.left, x);
                    ink.right = std::max(ink.right, x);
                    ink.bottom = std::min(ink.bottom, y);
                    ink.top = std::max(ink.top, y);
                }
        return ink;
    }

    static inline TempDir* folder = nullptr;
};

}  // namespace

TEST_F(FontDraw, TextFillsItsBoxAndNothingElse)
{
    const GuiFont gui(font_path());
    ASSERT_NE(gui.font, nullptr);
    // The glyphs that set the font's ascent and descent, so the ink reaches both edges of the box.
    const std::vector<FontGlyph>& glyphs = gui.font->glyphs;
    const FontGlyph& tallest = *std::max_element(glyphs.begin(), glyphs.end(), [](auto& a, auto& b) {
        return a.y_offset + a.height < b.y_offset + b.height;
    });
    const FontGlyph& lowest = *std::min_element(glyphs.begin(), glyphs.end(),
                                                [](auto& a, auto& b) { return a.y_offset < b.y_offset; });
    const std::string text = std::string("Slivermere Agy ") + char(tallest.code) + char(lowest.code);
    const Vector2 position(-1.1, -0.3);
    const double height = 0.2;
    const double width = gui.text_width(text, height);
    EXPECT_GT(width, 6 * height);
    EXPECT_LT(width, 12 * height);

    gui.draw_text(position, text, height);
    save_screenshot("font_text.png");

    int left = 0, bottom = 0, right = 0, top = 0;
    to_pixel(position.x, position.y, left, bottom);
    to_pixel(position.x + width, position.y + height, right, top);
    const Ink ink = find_ink();
    // 0.2 units are 76.8 pixels; the ink reaches the box's edges within a pixel or two.
    EXPECT_GT(ink.lit, (right - left) * (top - bottom) / 8);
    EXPECT_NEAR(ink.bottom, bottom, 2);
    EXPECT_NEAR(ink.top, top, 2);
    EXPECT_NEAR(ink.left, left, 6);
    EXPECT_LE(ink.right, right + 2);
    EXPECT_GT(ink.right, right - 30);
    EXPECT_EQ(glIsEnabled(GL_TEXTURE_2D), GL_FALSE);
    EXPECT_EQ(glIsEnabled(GL_BLEND), GL_TRUE);
}

TEST_F(FontDraw, SmallSizesStayInsideTheirLines)
{
    const GuiFont gui(font_path());
    const std::string text = "The quick brown fox jumps over the lazy dog 0123456789 {[(@#$%&)]}";
    const double heights[] = {0.025, 0.035, 0.05, 0.075, 0.1, 0.15};
    double y = -0.9;
    for (double h : heights) {
        gui.draw_text(Vector2(-1.3, y), text, h);
        y += h + 0.12;
    }
    save_screenshot("font_sizes.png");

    // Between one line's box and the next there is only background, at every mipmap level.
    y = -0.9;
    for (double h : heights) {
        int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
        to_pixel(-1.3, y + h, x0, y0);
        to_pixel(-1.3 + gui.text_width(text, h), y + h + 0.12, x1, y1);
        x1 = std::min(x1, gl_test_width);
        for (int py = y0 + 3; py < y1 - 3; ++py)
            for (int px = x0; px < x1; px += 2)
                ASSERT_EQ(red_of(pixel(px, py)), 0) << "above the line of height " << h << " at " << px << "," << py;
        y += h + 0.12;
    }
}

TEST_F(FontDraw, TextureNamesSurviveAReload)
{
    TextureFont* font = get_font(font_path());
    ASSERT_NE(font, nullptr);
    const unsigned int texture = font->texture;
    EXPECT_NE(texture, 0u);
    EXPECT_EQ(get_font(font_path()), font);
    reload_fonts();
    EXPECT_EQ(font->texture, texture);
    EXPECT_EQ(glIsTexture(texture), GL_TRUE);
    GuiFont(font_path()).draw_text(Vector2(-1, -0.1), "Reloaded", 0.2);
    EXPECT_GT(find_ink().lit, 1000);

    auto copy = load_texture_font(font_path());
    GLuint name = 0;
    glGenTextures(1, &name);
    EXPECT_EQ(upload_font_texture(*copy, name), name);
    EXPECT_EQ(upload_font_texture(*copy, 0), name) << "a font keeps the texture it has";
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    glDeleteTextures(1, &name);
}

TEST_F(FontDraw, MissingFontFallsBackToDefaultOrDrawsNothing)
{
    free_fonts();  // the cache is keyed by relative paths
    TempDir dir;
    {
        ScopedCwd in_dir(dir.path());
        LogCapture log;
        const GuiFont nothing("menu.txf");
        EXPECT_EQ(nothing.font, nullptr);
        EXPECT_EQ(log.out(), "Can't find font menu.txf using default instead.\n");
        EXPECT_EQ(log.err(), "GuiFont: default.txf cannot be loaded (file open failed.); text will not be drawn.\n");
        nothing.draw_text(Vector2(0, 0), "Menu", 0.2);
        EXPECT_EQ(nothing.text_width("Menu", 0.2), 0.0);
        EXPECT_EQ(find_ink().lit, 0);

        std::filesystem::copy_file(font_path(), dir.file("default.txf"));
        log.clear();
        const GuiFont fallback("menu.txf");
        EXPECT_EQ(log.out(), "Can't find font menu.txf using default instead.\n");
        const GuiFont direct("default.txf");
        EXPECT_EQ(fallback.font, direct.font);
        EXPECT_EQ(fallback.scale, direct.scale);
        EXPECT_EQ(fallback.text_width("Menu", 0.1), direct.text_width("Menu", 0.1));
        EXPECT_EQ(fallback.text_width("", 0.1), 0.0);
        EXPECT_EQ(log.err(), "");
    }
    free_fonts();
}
