#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// One glyph record of a ".txf" file, as stored (12 bytes on disk).
struct FontGlyph {
    std::uint16_t code = 0;
    std::uint8_t width = 0;
    std::uint8_t height = 0;
    std::int8_t x_offset = 0;
    std::int8_t y_offset = 0;
    std::int8_t advance = 0;
    std::uint8_t reserved = 0;
    std::int16_t x = 0;
    std::int16_t y = 0;
};

// Corners lower-left, lower-right, upper-right, upper-left, laid out so that
// glTexCoord2fv and glVertex2sv take them directly. Vertices are in texels with
// the pen at the origin and the baseline at y = 0.
struct GlyphQuad {
    struct Corner {
        float tex[2];
        std::int16_t vertex[2];
    };
    Corner corners[4];
    float advance;
};

struct TextureFont {
    unsigned int texture = 0;
    int image_width = 0;
    int image_height = 0;
    int ascent = 0;
    int descent = 0;
    int glyph_count = 0;
    int first_code = 0;
    int code_range = 0;
    // Grey levels, row 0 first; empty for a format without an atlas.
    std::vector<std::uint8_t> image;
    std::vector<FontGlyph> glyphs;
    std::vector<GlyphQuad> quads;
    // Index into quads for each code - first_code, -1 where there is no glyph.
    std::vector<int> lookup;
    // How the file was stored; kept for the tool's report.
    bool big_endian = false;
    int format = 0;
};

constexpr std::uint32_t txf_byte_order = 0x12345678u;

// Reads a ".txf" file without touching GL. On failure returns null and leaves
// the reason in texture_font_error().
std::unique_ptr<TextureFont> load_texture_font(const std::string& file_name);
const std::string& texture_font_error();

// Fills in the quads and the lookup from glyphs and the image size; the loader
// and the font maker share it.
void build_glyph_quads(TextureFont& font);

// Needs GL. Fills the font's texture (or `texture`, or a new one when that is 0)
// with the atlas and its mipmaps and returns the font's texture name.
unsigned int upload_font_texture(TextureFont& font, unsigned int texture);

// Null when the code has no glyph in either case; then one line goes to the
// error stream.
const GlyphQuad* glyph_for(const TextureFont& font, int code);

struct TextMetrics {
    float width;
    int ascent;
    int descent;
};

// Escape sequences (byte 27 and its arguments) take no room.
TextMetrics measure_text(const TextureFont& font, const char* bytes, int length);
// Needs GL: one quad per byte in the current modelview frame, one texel per unit.
// The caller binds the texture and enables texturing and blending.
void render_text(const TextureFont& font, const char* bytes, int length);
// The box of every quad render_text draws, in the same frame; false when it
// draws none.
bool text_bounds(const TextureFont& font, const char* bytes, int length, float low[2], float high[2]);

// The process-wide cache. get_font loads and uploads on first request (needs
// GL); a file that fails to load is not cached and is tried again next time.
TextureFont* get_font(const std::string& file_name);
// Uploads every loaded font's atlas again after the GL context was recreated.
void reload_fonts();
void free_fonts();

// Without GL: draws `text` byte by byte as render_text would, black on white,
// one texel per pixel, into an RGBA image (top row first) with a small margin.
// Atlas reads are clamped to the atlas, as glyph boxes may reach past it.
std::vector<std::uint8_t> rasterize_text(const TextureFont& font, const std::string& text, int& width, int& height);

// Things worth telling about a loaded font: boxes past the atlas, printable
// codes (32 to 126) without a glyph in either case, repeated codes.
std::vector<std::string> font_problems(const TextureFont& font);
