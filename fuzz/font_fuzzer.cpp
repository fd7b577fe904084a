// Texture fonts, loaded without GL. A file is refused with a reason, or it
// gives a consistent font that measures and draws any text without reading
// outside its atlas; a font with an atlas is written by the font maker and
// read back the same, byte for byte when it was stored as the maker writes.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.hpp"
#include "render/font_maker.hpp"
#include "render/texture_font.hpp"

namespace {

bool same_glyph(const FontGlyph& a, const FontGlyph& b)
{
    return a.code == b.code && a.width == b.width && a.height == b.height && a.x_offset == b.x_offset &&
           a.y_offset == b.y_offset && a.advance == b.advance && a.reserved == b.reserved && a.x == b.x && a.y == b.y;
}

bool same_font(const TextureFont& a, const TextureFont& b)
{
    if (a.image_width != b.image_width || a.image_height != b.image_height || a.ascent != b.ascent ||
        a.descent != b.descent || a.glyph_count != b.glyph_count || a.first_code != b.first_code ||
        a.code_range != b.code_range || a.image != b.image || a.lookup != b.lookup ||
        a.glyphs.size() != b.glyphs.size())
        return false;
    for (std::size_t i = 0; i < a.glyphs.size(); ++i)
        if (!same_glyph(a.glyphs[i], b.glyphs[i]))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string input = scratch_path("input.txf");
    static const std::string output = scratch_path("saved.txf");
    write_bytes(input, data, size);
    const std::unique_ptr<TextureFont> font = load_texture_font(input);
    if (!font) {
        FUZZ_CHECK(!texture_font_error().empty());
        return 0;
    }

    FUZZ_CHECK(font->glyphs.size() == static_cast<std::size_t>(font->glyph_count));
    FUZZ_CHECK(font->quads.size() == font->glyphs.size());
    FUZZ_CHECK(font->lookup.size() == static_cast<std::size_t>(font->code_range));
    const bool has_atlas = font->format == 0 || font->format == 1;
    FUZZ_CHECK(font->image.size() ==
               (has_atlas ? static_cast<std::size_t>(font->image_width) * font->image_height : 0u));

    font_problems(*font);
    std::string every_byte;
    for (int c = 1; c < 256; ++c)
        every_byte += static_cast<char>(c);
    measure_text(*font, every_byte.data(), static_cast<int>(every_byte.size()));
    int width = 0;
    int height = 0;
    const std::vector<std::uint8_t> rgba = rasterize_text(*font, every_byte, width, height);
    FUZZ_CHECK(width > 0 && height > 0);
    FUZZ_CHECK(rgba.size() == static_cast<std::size_t>(width) * height * 4);

    if (!has_atlas)
        return 0;
    FUZZ_CHECK(save_texture_font(output, *font));
    const std::vector<unsigned char> saved = read_bytes(output);
    const std::unique_ptr<TextureFont> again = load_texture_font(output);
    FUZZ_CHECK(again);
    FUZZ_CHECK(same_font(*font, *again));
    if (font->format == 0 && !font->big_endian)
        FUZZ_CHECK(saved.size() <= size && std::equal(saved.begin(), saved.end(), data));
    std::remove(output.c_str());
    return 0;
}
