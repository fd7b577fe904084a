#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "render/box_texture.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/texture_manager.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "support/png_writer.hpp"

namespace {

constexpr std::uint32_t red = rgba_word(255, 0, 0), green = rgba_word(0, 255, 0), blue = rgba_word(0, 0, 255);

// 3 x 5, top row first, one colour per row and the top-left pixel marked, so
// that a flipped or mirrored upload shows.
const std::vector<std::uint32_t> picture = {green, red, red, green, green, green, blue, blue, blue,
                                            red,   red, red, blue,  blue,  blue};

// The picture as a texture that clamps in s keeps it: each row of three
// between a transparent texel before it and two after it.
std::vector<std::uint32_t> in_s_margin(const std::vector<std::uint32_t>& rows_of_three)
{
    std::vector<std::uint32_t> framed;
    for (std::size_t i = 0; i < rows_of_three.size(); i += 3)
        framed.insert(framed.end(), {0, rows_of_three[i], rows_of_three[i + 1], rows_of_three[i + 2], 0, 0});
    return framed;
}

class TextureTest : public GlTest {
protected:
    std::string write_picture(const std::string& name, std::uint32_t width, const std::vector<std::uint32_t>& words)
    {
        EXPECT_TRUE(write_test_png(dir.file(name), rgba_png(width, words.size() / width, words)));
        return dir.file(name);
    }
    static std::vector<std::uint32_t> texture_words(GLuint texture, GLint level = 0)
    {
        GLint width = 0, height = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        std::vector<std::uint32_t> words(static_cast<std::size_t>(width) * height);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_BYTE, words.data());
        return words;
    }
    static GLint parameter(GLuint texture, GLenum name)
    {
        GLint value = 0;
        glBindTexture(GL_TEXTURE_2D, texture);
        glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
        return value;
    }

    TempDir dir;
};

}  // namespace

TEST_F(TextureTest, UploadsTopRowFirstMipmappedCachesFailuresAndReloadsUnderTheSameNames)
{
    LogCapture log;
    const PlainDrawing as_on_a_graphics_card;
    const std::string path = write_picture("rows.png", 3, picture);
    double aspect = 0;
    const GLuint texture = get_texture(path, aspect, GL_CLAMP, GL_REPEAT);
    ASSERT_NE(texture, 0u);
    EXPECT_DOUBLE_EQ(aspect, 0.6) << "the picture's, not the texture's";
    EXPECT_EQ(texture_words(texture), in_s_margin(picture));
    // A graphics card makes the mipmaps itself.
    EXPECT_EQ(parameter(texture, GL_GENERATE_MIPMAP), GL_TRUE);
    EXPECT_EQ(parameter(texture, GL_TEXTURE_MIN_FILTER), GL_LINEAR_MIPMAP_LINEAR);
    // Loaded once; the first request's wrap modes stay.
    EXPECT_EQ(get_texture(path, aspect, GL_REPEAT, GL_CLAMP), texture);
    EXPECT_EQ(log.err(), "We're trying to load " + path + "\n");
    EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP);

    // A failure is cached as 0 and not retried, by a reload either.
    aspect = 2.5;
    const std::string late = dir.file("late.png");
    EXPECT_EQ(get_texture(late, aspect, GL_CLAMP, GL_CLAMP), 0u);
    EXPECT_EQ(aspect, 2.5);
    write_picture("late.png", 3, picture);
    EXPECT_EQ(get_texture(late, aspect, GL_CLAMP, GL_CLAMP), 0u) << "not retried";

    // What a new GL context leaves behind: other contents and default
    // parameters. A reload restores the picture as the file now has it, or
    // keeps what it had when the file has gone.
    const GLuint vanishing = get_texture(write_picture("vanishes.png", 3, picture), aspect, GL_CLAMP, GL_CLAMP);
    std::filesystem::remove(dir.file("vanishes.png"));
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, &green);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    log.clear();
    reload_textures();
    EXPECT_EQ(log.err().find(late), std::string::npos) << "a reload retries no failed entry";
    EXPECT_EQ(texture_words(texture), in_s_margin(picture));
    EXPECT_EQ(parameter(texture, GL_TEXTURE_WRAP_S), GL_CLAMP);
    EXPECT_EQ(get_texture(dir.file("vanishes.png"), aspect, GL_CLAMP, GL_CLAMP), vanishing) << "kept";
    write_picture("rows.png", 6, std::vector<std::uint32_t>(30, blue));
    reload_textures();
    EXPECT_EQ(get_texture(path, aspect, GL_CLAMP, GL_CLAMP), texture);
    EXPECT_DOUBLE_EQ(aspect, 1.2);
    std::vector<std::uint32_t> margined_row(12, 0);
    std::fill_n(margined_row.begin() + 3, 6, blue);
    std::vector<std::uint32_t> margined;
    for (int row = 0; row < 5; ++row)
        margined.insert(margined.end(), margined_row.begin(), margined_row.end());
    EXPECT_EQ(texture_words(texture), margined);
}

TEST_F(TextureTest, LeanDrawingMakesEveryMipmapLevelAsTheAverageOfTheLevelAbove)
{
    // Rows top first: red green blue white, then yellow red red red.
    const std::uint32_t white = rgba_word(255, 255, 255), yellow = rgba_word(255, 255, 0);
    const std::vector<std::uint32_t> rows = {red, green, blue, white, yellow, red, red, red};
    LogCapture log;
    double aspect = 0;
    const PlainDrawing restored_after;
    set_lean_drawing(true);
    const GLuint texture = load_texture_file(write_picture("levels.png", 4, rows).c_str(), aspect, 0);
    ASSERT_NE(texture, 0u);
    EXPECT_EQ(parameter(texture, GL_GENERATE_MIPMAP), GL_FALSE);
    // 2x1: (255+0+255+255+2)/4 = 191, (0+255+255+0+2)/4 = 128, ...
    EXPECT_EQ(texture_words(texture, 1), (std::vector<std::uint32_t>{rgba_word(191, 128, 0), rgba_word(191, 64, 128)}));
    EXPECT_EQ(texture_words(texture, 2), std::vector<std::uint32_t>{rgba_word(191, 96, 64)});
    // Complete down to 1x1: trilinear filtering has every level it reads.
    EXPECT_TRUE(texture_words(texture, 3).empty());
}

// A box texture is made once its key has been asked for often enough, and
// not while making is put off; when full it drops the one least recently
// asked for, but never one still in use.
TEST_F(TextureTest, BoxTexturesAreMadeOnRepeatAndKeepWhatIsInUse)
{
    BoxTextures boxes(2, 3);
    int draws = 0;
    const auto find = [&](std::uint64_t key, bool may_make = true) {
        return boxes.find(key, PixelBox{0, 0, 4, 4}, [&draws] { ++draws; }, may_make);
    };
    EXPECT_EQ(find(1), 0u);
    EXPECT_EQ(find(1), 0u);
    EXPECT_EQ(find(1, false), 0u);
    const unsigned int one = find(1);
    EXPECT_NE(one, 0u);
    EXPECT_EQ(find(1), one);
    for (int i = 0; i < 3; ++i)
        find(2);
    EXPECT_EQ(draws, 2);

    // Both asked for every time, as the third is: it is never made.
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(find(1), one);
        EXPECT_NE(find(2), 0u);
        EXPECT_EQ(find(3), 0u);
    }
    // The second no longer asked for: the third takes its place.
    EXPECT_EQ(find(1), one);
    EXPECT_NE(find(3), 0u);
    EXPECT_EQ(find(1), one);
    EXPECT_EQ(boxes.made(), 3u);
    EXPECT_EQ(draws, 3);
}
