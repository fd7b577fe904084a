#pragma once

#include <memory>
#include <string>

#include "render/texture_font.hpp"

// Renders the printable ASCII codes 32 to 126 of a TrueType font with FreeType's
// anti-aliased rasteriser into a grey-level atlas. Each glyph box keeps one
// empty texel around the ink and boxes stand apart by a few more, so that
// linear filtering and the smaller mipmaps do not bleed one glyph into the
// next; the atlas sides are powers of two. Returns null with a reason in
// `error` when the font cannot be read or a glyph does not fit the format
// (boxes up to 255 texels, offsets and advances within -128..127).
std::unique_ptr<TextureFont> make_texture_font(const std::string& ttf_path, int pixel_size, std::string& error);

// Writes a little-endian, format-0 ".txf" file. The file appears only once it
// is complete; a failure is reported on the error stream and returns false.
bool save_texture_font(const std::string& path, const TextureFont& font);
