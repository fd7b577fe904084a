#pragma once

#include <cstdint>
#include <vector>

#include "render/texture_font.hpp"

// Writes ".txf" bytes field by field in either byte order, so tests can make
// fonts, and damaged fonts, of any shape.
struct TxfBuilder {
    bool big_endian = false;
    int format = 0;
    int width = 8;
    int height = 4;
    int ascent = 6;
    int descent = 2;
    // Written instead of the number of glyphs when set.
    bool count_override = false;
    int count = 0;
    std::vector<FontGlyph> glyphs;
    // The atlas bytes exactly as they go into the file.
    std::vector<unsigned char> atlas;

    TxfBuilder& glyph(std::uint16_t code, int w, int h, int x_offset, int y_offset, int advance, int x, int y)
    {
        FontGlyph g;
        g.code = code;
        g.width = static_cast<std::uint8_t>(w);
        g.height = static_cast<std::uint8_t>(h);
        g.x_offset = static_cast<std::int8_t>(x_offset);
        g.y_offset = static_cast<std::int8_t>(y_offset);
        g.advance = static_cast<std::int8_t>(advance);
        g.x = static_cast<std::int16_t>(x);
        g.y = static_cast<std::int16_t>(y);
        glyphs.push_back(g);
        return *this;
    }

    // An atlas of the right size for the format, every byte `value`.
    TxfBuilder& fill_atlas(unsigned char value)
    {
        const int row = format == 1 ? (width + 7) / 8 : width;
        atlas.assign(static_cast<std::size_t>(row) * height, value);
        return *this;
    }

    void put32(std::vector<unsigned char>& out, std::uint32_t v) const
    {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<unsigned char>(big_endian ? v >> (24 - 8 * i) : v >> (8 * i)));
    }

    void put16(std::vector<unsigned char>& out, std::uint16_t v) const
    {
        out.push_back(static_cast<unsigned char>(big_endian ? v >> 8 : v));
        out.push_back(static_cast<unsigned char>(big_endian ? v : v >> 8));
    }

    std::vector<unsigned char> bytes() const
    {
        std::vector<unsigned char> out{0xFF, 't', 'x', 'f'};
        put32(out, 0x12345678u);
        put32(out, static_cast<std::uint32_t>(format));
        put32(out, static_cast<std::uint32_t>(width));
        put32(out, static_cast<std::uint32_t>(height));
        put32(out, static_cast<std::uint32_t>(ascent));
        put32(out, static_cast<std::uint32_t>(descent));
        put32(out, static_cast<std::uint32_t>(count_override ? count : static_cast<int>(glyphs.size())));
        for (const FontGlyph& g : glyphs) {
            put16(out, g.code);
            out.insert(out.end(), {g.width, g.height, static_cast<unsigned char>(g.x_offset),
                                   static_cast<unsigned char>(g.y_offset), static_cast<unsigned char>(g.advance),
                                   g.reserved});
            put16(out, static_cast<std::uint16_t>(g.x));
            put16(out, static_cast<std::uint16_t>(g.y));
        }
        out.insert(out.end(), atlas.begin(), atlas.end());
        return out;
    }
};
