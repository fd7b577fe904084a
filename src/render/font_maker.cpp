#include "render/font_maker.hpp"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <numeric>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "storage/log.hpp"

namespace {

constexpr int first_code = 32;
constexpr int last_code = 126;
// Empty texels between glyph boxes and at the atlas edges: a box's ink stays
// clear of its neighbours down to the mipmap level where 8 texels become one.
constexpr int box_spacing = 4;

struct Bitmap {
    int width = 0;
    int rows = 0;
    int left = 0;
    int top = 0;
    int advance = 0;
    std::vector<std::uint8_t> coverage;  // top row first, as FreeType gives it
};

class FreeTypeFace {
public:
    ~FreeTypeFace()
    {
        if (face)
            FT_Done_Face(face);
        if (library)
            FT_Done_FreeType(library);
    }
    FT_Library library = nullptr;
    FT_Face face = nullptr;
};

bool render_glyph(FT_Face face, int code, Bitmap& out, std::string& error)
{
    if (FT_Load_Char(face, code, FT_LOAD_RENDER) != 0) {
        error = "FreeType cannot render character " + std::to_string(code);
        return false;
    }
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bitmap = slot->bitmap;
    out.width = static_cast<int>(bitmap.width);
    out.rows = static_cast<int>(bitmap.rows);
    out.left = slot->bitmap_left;
    out.top = slot->bitmap_top;
    out.advance = static_cast<int>((slot->advance.x + 32) >> 6);
    out.coverage.assign(static_cast<std::size_t>(out.width) * out.rows, 0);
    if (out.width == 0 || out.rows == 0)
        return true;
    if (bitmap.pitch < 0 || (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY && bitmap.pixel_mode != FT_PIXEL_MODE_MONO)) {
        error = "FreeType gave an unexpected bitmap layout for character " + std::to_string(code);
        return false;
    }
    const int levels = bitmap.pixel_mode == FT_PIXEL_MODE_GRAY ? std::max(2, int(bitmap.num_grays)) : 2;
    for (int r = 0; r < out.rows; ++r) {
        const unsigned char* row = bitmap.buffer + static_cast<std::size_t>(r) * bitmap.pitch;
        for (int c = 0; c < out.width; ++c) {
            const int value = bitmap.pixel_mode == FT_PIXEL_MODE_MONO ? (row[c / 8] >> (7 - c % 8) & 1) : row[c];
            out.coverage[static_cast<std::size_t>(r) * out.width + c] =
                static_cast<std::uint8_t>(value * 255 / (levels - 1));
        }
    }
    return true;
}

// Shelf packing, tallest boxes first. Returns the height used.
int pack(std::vector<FontGlyph>& glyphs, const std::vector<int>& order, int atlas_width)
{
    int x = box_spacing, y = box_spacing, shelf = 0;
    for (int i : order) {
        FontGlyph& g = glyphs[i];
        if (g.width == 0)
            continue;
        if (x + g.width + box_spacing > atlas_width) {
            x = box_spacing;
            y += shelf + box_spacing;
            shelf = 0;
        }
        g.x = static_cast<std::int16_t>(x);
        g.y = static_cast<std::int16_t>(y);
        x += g.width + box_spacing;
        shelf = std::max(shelf, static_cast<int>(g.height));
    }
    return y + shelf + box_spacing;
}

int power_of_two_at_least(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

}  // namespace

std::unique_ptr<TextureFont> make_texture_font(const std::string& ttf_path, int pixel_size, std::string& error)
{
    if (pixel_size < 1 || pixel_size > 127) {
        error = "pixel size must be between 1 and 127";
        return nullptr;
    }
    FreeTypeFace ft;
    if (FT_Init_FreeType(&ft.library) != 0) {
        error = "FreeType cannot start";
        return nullptr;
    }
    if (FT_New_Face(ft.library, ttf_path.c_str(), 0, &ft.face) != 0) {
        error = "cannot read a font from " + ttf_path;
        return nullptr;
    }
    if (FT_Set_Pixel_Sizes(ft.face, 0, static_cast<FT_UInt>(pixel_size)) != 0) {
        error = "the font has no size " + std::to_string(pixel_size);
        return nullptr;
    }

    auto font = std::make_unique<TextureFont>();
    std::vector<Bitmap> bitmaps(last_code - first_code + 1);
    for (int code = first_code; code <= last_code; ++code) {
        Bitmap& b = bitmaps[code - first_code];
        if (!render_glyph(ft.face, code, b, error))
            return nullptr;
        FontGlyph g;
        g.code = static_cast<std::uint16_t>(code);
        g.advance = static_cast<std::int8_t>(b.advance);
        // Inked glyphs get a one-texel empty frame, so that the box edges, which
        // sample texel centres, fade out instead of cutting the outer ink.
        const bool inked = b.width > 0 && b.rows > 0;
        const int width = inked ? b.width + 2 : 0, height = inked ? b.rows + 2 : 0;
        const int x_offset = inked ? b.left - 1 : 0, y_offset = inked ? b.top - b.rows - 1 : 0;
        if (width > 255 || height > 255 || x_offset < -128 || x_offset > 127 || y_offset < -128 || y_offset > 127 ||
            b.advance < -128 || b.advance > 127) {
            error = "character " + std::to_string(code) + " is too large for a texture font at pixel size " +
                    std::to_string(pixel_size);
            return nullptr;
        }
        g.width = static_cast<std::uint8_t>(width);
        g.height = static_cast<std::uint8_t>(height);
        g.x_offset = static_cast<std::int8_t>(x_offset);
        g.y_offset = static_cast<std::int8_t>(y_offset);
        font->glyphs.push_back(g);
        if (inked) {
            font->ascent = std::max(font->ascent, b.top);
            font->descent = std::max(font->descent, b.rows - b.top);
        }
    }

    std::vector<int> order(font->glyphs.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return font->glyphs[a].height > font->glyphs[b].height; });
    int widest = 0;
    for (const FontGlyph& g : font->glyphs)
        widest = std::max<int>(widest, g.width);
    int atlas_width = power_of_two_at_least(std::max(32, widest + 2 * box_spacing)), used_height = 0;
    for (;;) {
        used_height = pack(font->glyphs, order, atlas_width);
        if (power_of_two_at_least(used_height) <= atlas_width)
            break;
        atlas_width *= 2;
    }
    font->image_width = atlas_width;
    font->image_height = power_of_two_at_least(used_height);
    font->image.assign(static_cast<std::size_t>(font->image_width) * font->image_height, 0);

    // Atlas row 0 is the bottom of the texture (t = 0), so bitmaps go in upside down.
    for (std::size_t i = 0; i < font->glyphs.size(); ++i) {
        const FontGlyph& g = font->glyphs[i];
        const Bitmap& b = bitmaps[i];
        for (int r = 0; r < b.rows; ++r) {
            const std::uint8_t* src = &b.coverage[static_cast<std::size_t>(r) * b.width];
            const std::size_t atlas_row = g.y + 1 + (b.rows - 1 - r);
            std::copy_n(src, b.width, &font->image[atlas_row * font->image_width + g.x + 1]);
        }
    }
    font->glyph_count = static_cast<int>(font->glyphs.size());
    build_glyph_quads(*font);
    return font;
}

bool save_texture_font(const std::string& path, const TextureFont& font)
{
    if (font.glyph_count <= 0 || font.glyphs.size() != static_cast<std::size_t>(font.glyph_count) ||
        font.image_width <= 0 || font.image_height <= 0 ||
        font.image.size() != static_cast<std::size_t>(font.image_width) * font.image_height) {
        log_err() << "Cannot write " << path << ": not a complete font with a one-byte atlas.\n";
        return false;
    }
    std::vector<std::uint8_t> bytes{0xFF, 't', 'x', 'f'};
    put32(bytes, txf_byte_order);
    put32(bytes, 0);
    put32(bytes, static_cast<std::uint32_t>(font.image_width));
    put32(bytes, static_cast<std::uint32_t>(font.image_height));
    put32(bytes, static_cast<std::uint32_t>(font.ascent));
    put32(bytes, static_cast<std::uint32_t>(font.descent));
    put32(bytes, static_cast<std::uint32_t>(font.glyph_count));
    for (const FontGlyph& g : font.glyphs) {
        put16(bytes, g.code);
        bytes.insert(bytes.end(), {g.width, g.height, static_cast<std::uint8_t>(g.x_offset),
                                   static_cast<std::uint8_t>(g.y_offset), static_cast<std::uint8_t>(g.advance),
                                   g.reserved});
        put16(bytes, static_cast<std::uint16_t>(g.x));
        put16(bytes, static_cast<std::uint16_t>(g.y));
    }
    bytes.insert(bytes.end(), font.image.begin(), font.image.end());

    const std::string temp = path + ".tmp";
    std::FILE* file = std::fopen(temp.c_str(), "wb");
    int failure = file ? 0 : errno;
    if (file && std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size())
        failure = errno ? errno : EIO;
    if (file && std::fclose(file) != 0 && !failure)
        failure = errno;
    if (!failure && std::rename(temp.c_str(), path.c_str()) != 0)
        failure = errno;
    if (!failure)
        return true;
    log_err() << "Cannot write " << path << ": " << std::strerror(failure) << '\n';
    std::remove(temp.c_str());
    return false;
}
