#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "render/gl.hpp"
#include "render/texture_manager.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "support/png_writer.hpp"
#include "support/test_support.hpp"

namespace {

constexpr std::uint32_t red = rgba_word(255, 0, 0), green = rgba_word(0, 255, 0), blue = rgba_word(0, 0, 255),
                        white = rgba_word(255, 255, 255), yellow = rgba_word(255, 255, 0),
                        magenta = rgba_word(255, 0, 255);

// 3 x 5, top row first: one colour per row, and the top-left pixel marked so
// that a mirrored picture shows too.
const std::vector<std::uint32_t> picture = {
    magenta, red,   red,    //
    green,   green, green,  //
    blue,    blue,  blue,   //
    white,   white, white,  //
    yellow,  yellow, yellow,
};

std::size_t count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

class TextureTest : public GlTest {
protected:
    std::string write_picture(const std::string& name, std::uint32_t width, std::uint32_t height,
                              const std::vector<std::uint32_t>& top_down)
    {
        const std::string path = dir.file(name);
        EXPECT_TRUE(write_test_png(path, rgba_png(width, height, top_down)));
        return path;
    }

    static std::vector<std::uint32_t> texture_words(GLuint texture, GLint& width, GLint& height)
    {
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
        std::vector<std::uint32_t> words(static_cast<std::size_t>(width) * height);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, words.data());
        return words;
    }

    static GLint parameter(GLuint texture, GLenum name)
    {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }

    static GLint bound_texture()
    {
        GLint texture = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &texture);
        return texture;
    }

    // The picture over x -0.6..0.6, y -0.5..0.5 with t = 0 on the top edge, as
    // the game's textured shapes use it; each texel is 0.4 x 0.2 units.
    static void draw_picture(GLuint texture)
    {
        glClear(GL_COLOR_BUFFER_BIT);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, texture);
        glBegin(GL_QUADS);
        glTexCoord2d(0, 1), glVertex2d(-0.6, -0.5);
        glTexCoord2d(1, 1), glVertex2d(0.6, -0.5);
        glTexCoord2d(1, 0), glVertex2d(0.6, 0.5);
        glTexCoord2d(0, 0), glVertex2d(-0.6, 0.5);
        glEnd();
        glDisable(GL_TEXTURE_2D);
    }

    static void expect_drawn_picture()
    {
        for (int y = 0; y < 5; ++y) {
            for (int x = 0; x < 3; ++x) {
                const std::uint32_t drawn = pixel_at_units(-0.6 + 0.4 * (x + 0.5), 0.5 - 0.2 * (y + 0.5));
                const std::uint32_t expected = picture[y * 3 + x];
                for (int shift = 0; shift < 24; shift += 8)
                    EXPECT_NEAR(drawn >> shift & 0xFF, expected >> shift & 0xFF, 8) << "texel " << x << "," << y;
            }
        }
    }

    TempDir dir;
};

TEST_F(TextureTest, LoadTextureFileUploadsMipmappedTopRowFirst)
{
    const std::string path = write_picture("rows.png", 3, 5, picture);
    LogCapture log;
    double aspect = 0;
    const GLuint texture = load_texture_file(path.c_str(), aspect, 0);
    ASSERT_NE(texture, 0u);
    EXPECT_DOUBLE_EQ(aspect, 0.6);
    EXPECT_EQ(log.err(), "We're trying to load " + path + "\n");
    EXPECT_EQ(log.out(), "");
    EXPECT_EQ(bound_texture(), 0);

    GLint width = 0, height = 0;
    EXPECT_EQ(texture_words(texture, width, height), picture);
    EXPECT_EQ(width, 3);
    EXPECT_EQ(height, 5);
    EXPECT_EQ(parameter(texture, GL_GENERATE_MIPMAP), GL_TRUE);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_MAG_FILTER), GL_LINEAR);

    // A given name is reused; a single row needs no flip.
    const std::vector<std::uint32_t> row = {red, green, blue, white};
    EXPECT_EQ(load_texture_file(write_picture("row.png", 4, 1, row).c_str(), aspect, texture), texture);
    EXPECT_DOUBLE_EQ(aspect, 4.0);
    EXPECT_EQ(texture_words(texture, width, height), row);
}

TEST_F(TextureTest, CacheLoadsEachPathOnceAndKeepsTheFirstWrapModes)
{
    const std::string path = write_picture("cached.png", 3, 5, picture);
    LogCapture log;
    double aspect = 0;
    const GLuint texture = get_texture(path, aspect, GL_CLAMP, GL_REPEAT);
    ASSERT_NE(texture, 0u);
    EXPECT_DOUBLE_EQ(aspect, 0.6);
    EXPECT_EQ(bound_texture(), static_cast<GLint>(texture));

    glBindTexture(GL_TEXTURE_2D, 0);
    double again = 0;
    EXPECT_EQ(get_texture(path, again, GL_REPEAT, GL_CLAMP), texture);
    EXPECT_DOUBLE_EQ(again, 0.6);
    EXPECT_EQ(bound_texture(), 0);
    EXPECT_EQ(count(log.err(), "We're trying to load"), 1u);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_T), GL_REPEAT);
}

TEST_F(TextureTest, FailuresLeaveTheAspectAndAreCachedAsZeroWithoutRetrying)
{
    write_file_bytes(dir.file("broken.png"), {0x89, 'P', 'N', 'G'});
    LogCapture log;
    double aspect = 2.5;
    EXPECT_EQ(load_texture_file(dir.file("broken.png").c_str(), aspect, 0), 0u);
    EXPECT_EQ(aspect, 2.5);
    EXPECT_EQ(log.out(), "  png interal error.\n");
    EXPECT_EQ(log.err(), "We're trying to load " + dir.file("broken.png") + "\nlibpng error: Read Error\nDidn't work.\n");

    const std::string path = dir.file("late.png");
    log.clear();
    EXPECT_EQ(get_texture(path, aspect, GL_CLAMP, GL_CLAMP), 0u);
    EXPECT_EQ(aspect, 2.5);
    EXPECT_EQ(log.out(), "  cannot open file.\n");
    EXPECT_EQ(log.err(), "We're trying to load " + path + "\nDidn't work.\n");

    log.clear();
    write_picture("late.png", 3, 5, picture);
    aspect = 9;
    EXPECT_EQ(get_texture(path, aspect, GL_CLAMP, GL_CLAMP), 0u);
    EXPECT_EQ(aspect, 2.5);  // what the first caller's variable held
    EXPECT_EQ(log.out(), "");
    EXPECT_EQ(log.err(), "");
}

TEST_F(TextureTest, ReloadRestoresEveryPictureUnderItsName)
{
    LogCapture quiet;
    double aspect = 0;
    const GLuint texture = get_texture(write_picture("lost.png", 3, 5, picture), aspect, GL_CLAMP, GL_REPEAT);
    ASSERT_NE(texture, 0u);

    // What a new GL context leaves behind: other contents and default parameters.
    const std::uint32_t stray = green;
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &stray);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    draw_picture(texture);
    ASSERT_EQ(pixel_at_units(0, 0.4), green);

    reload_textures();
    EXPECT_EQ(get_texture(dir.file("lost.png"), aspect, GL_REPEAT, GL_REPEAT), texture);
    GLint width = 0, height = 0;
    EXPECT_EQ(texture_words(texture, width, height), picture);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_T), GL_REPEAT);
    // The top row of the picture is drawn at the top.
    draw_picture(texture);
    expect_drawn_picture();

    // The file is read again, with its new aspect.
    write_picture("lost.png", 6, 5, std::vector<std::uint32_t>(30, blue));
    reload_textures();
    EXPECT_EQ(get_texture(dir.file("lost.png"), aspect, GL_CLAMP, GL_CLAMP), texture);
    EXPECT_DOUBLE_EQ(aspect, 1.2);
    EXPECT_EQ(texture_words(texture, width, height), std::vector<std::uint32_t>(30, blue));
}

TEST_F(TextureTest, ReloadSkipsFailedEntriesAndSurvivesVanishedFiles)
{
    const std::string missing = dir.file("appears.png"), vanishing = write_picture("vanishes.png", 3, 5, picture);
    double aspect = 0;
    LogCapture log;
    ASSERT_EQ(get_texture(missing, aspect, GL_CLAMP, GL_CLAMP), 0u);
    const GLuint texture = get_texture(vanishing, aspect, GL_CLAMP, GL_CLAMP);
    ASSERT_NE(texture, 0u);
    write_picture("appears.png", 3, 5, picture);
    std::filesystem::remove(vanishing);

    log.clear();
    reload_textures();
    EXPECT_EQ(count(log.err(), "We're trying to load " + missing), 0u);
    EXPECT_EQ(count(log.err(), "We're trying to load " + vanishing + "\nDidn't work.\n"), 1u);
    EXPECT_EQ(get_texture(missing, aspect, GL_CLAMP, GL_CLAMP), 0u);
    EXPECT_EQ(get_texture(vanishing, aspect, GL_CLAMP, GL_CLAMP), texture);
    EXPECT_DOUBLE_EQ(aspect, 0.6);
}

}  // namespace
