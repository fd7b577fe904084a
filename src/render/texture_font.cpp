#include "render/texture_font.hpp"

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <map>
#include <new>

#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "storage/game_folders.hpp"
#include "storage/log.hpp"

static_assert(sizeof(GLfloat) == sizeof(float) && sizeof(GLshort) == sizeof(std::int16_t));
static_assert(sizeof(GLuint) == sizeof(unsigned int));

namespace {

constexpr int header_bytes = 32;
constexpr int record_bytes = 12;
// Glyph positions are 16-bit, so a larger atlas could not be addressed; a
// header that claims one is damaged.
constexpr int max_image_side = 32768;

std::string error_text;
std::map<std::string, std::unique_ptr<TextureFont>> font_cache;

class FontFile {
public:
    explicit FontFile(const std::string& name) : file_(std::fopen(name.c_str(), "rb"))
    {
        if (file_ && std::fseek(file_, 0, SEEK_END) == 0) {
            const long size = std::ftell(file_);
            size_ = size > 0 ? static_cast<std::uint64_t>(size) : 0;
            std::rewind(file_);
        }
    }
    ~FontFile()
    {
        if (file_)
            std::fclose(file_);
    }
    FontFile(const FontFile&) = delete;
    FontFile& operator=(const FontFile&) = delete;

    bool is_open() const { return file_ != nullptr; }
    std::uint64_t bytes_left() const { return size_ - std::min(size_, position_); }

    bool read(void* data, std::size_t size)
    {
        const std::size_t got = std::fread(data, 1, size, file_);
        position_ += got;
        return got == size;
    }

private:
    std::FILE* file_;
    std::uint64_t size_ = 0;
    std::uint64_t position_ = 0;
};

std::uint32_t decode32(const unsigned char* b, bool big_endian)
{
    if (big_endian)
        return std::uint32_t(b[0]) << 24 | std::uint32_t(b[1]) << 16 | std::uint32_t(b[2]) << 8 | b[3];
    return std::uint32_t(b[3]) << 24 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[1]) << 8 | b[0];
}

std::uint16_t decode16(const unsigned char* b, bool big_endian)
{
    return big_endian ? std::uint16_t(b[0] << 8 | b[1]) : std::uint16_t(b[1] << 8 | b[0]);
}

std::unique_ptr<TextureFont> refuse(const char* reason)
{
    error_text = reason;
    return nullptr;
}

std::unique_ptr<TextureFont> read_font(FontFile& file)
{
    auto font = std::make_unique<TextureFont>();

    unsigned char word[4];
    static const unsigned char magic[4] = {0xFF, 't', 'x', 'f'};
    if (!file.read(word, 4) || !std::equal(word, word + 4, magic))
        return refuse("not a texture font file.");
    if (!file.read(word, 4))
        return refuse("not a texture font file.");
    const std::uint32_t order = decode32(word, false);
    if (order != txf_byte_order && order != 0x78563412u)
        return refuse("not a texture font file.");
    font->big_endian = order != txf_byte_order;

    unsigned char header[header_bytes - 8];
    if (!file.read(header, sizeof header))
        return refuse("premature end of file.");
    int fields[6];
    for (int i = 0; i < 6; ++i)
        fields[i] = static_cast<int>(decode32(header + 4 * i, font->big_endian));
    font->format = fields[0];
    font->image_width = fields[1];
    font->image_height = fields[2];
    font->ascent = fields[3];
    font->descent = fields[4];
    font->glyph_count = fields[5];
    if (font->glyph_count <= 0 || font->image_width <= 0 || font->image_height <= 0 ||
        font->image_width > max_image_side || font->image_height > max_image_side)
        return refuse("not a texture font file.");

    if (static_cast<std::uint64_t>(font->glyph_count) * record_bytes > file.bytes_left())
        return refuse("premature end of file.");
    std::vector<unsigned char> records(static_cast<std::size_t>(font->glyph_count) * record_bytes);
    if (!file.read(records.data(), records.size()))
        return refuse("premature end of file.");
    font->glyphs.resize(font->glyph_count);
    for (int i = 0; i < font->glyph_count; ++i) {
        const unsigned char* r = records.data() + i * record_bytes;
        FontGlyph& g = font->glyphs[i];
        g.code = decode16(r, font->big_endian);
        g.width = r[2];
        g.height = r[3];
        g.x_offset = static_cast<std::int8_t>(r[4]);
        g.y_offset = static_cast<std::int8_t>(r[5]);
        g.advance = static_cast<std::int8_t>(r[6]);
        g.reserved = r[7];
        g.x = static_cast<std::int16_t>(decode16(r + 8, font->big_endian));
        g.y = static_cast<std::int16_t>(decode16(r + 10, font->big_endian));
    }
    build_glyph_quads(*font);

    const std::size_t w = static_cast<std::size_t>(font->image_width);
    const std::size_t h = static_cast<std::size_t>(font->image_height);
    if (font->format == 0) {
        if (w * h > file.bytes_left())
            return refuse("premature end of file.");
        font->image.resize(w * h);
        if (!file.read(font->image.data(), font->image.size()))
            return refuse("premature end of file.");
    } else if (font->format == 1) {
        const std::size_t stride = (w + 7) / 8;
        if (stride * h > file.bytes_left())
            return refuse("premature end of file.");
        std::vector<unsigned char> bits(stride * h);
        if (!file.read(bits.data(), bits.size()))
            return refuse("premature end of file.");
        font->image.resize(w * h);
        for (std::size_t row = 0; row < h; ++row)
            for (std::size_t col = 0; col < w; ++col)
                font->image[row * w + col] = (bits[row * stride + col / 8] >> (col % 8) & 1) ? 255 : 0;
    }
    return font;
}

// Steps 1 and 2 of the lookup, without the complaint.
const GlyphQuad* find_glyph(const TextureFont& font, int code)
{
    auto entry = [&font](int c) -> const GlyphQuad* {
        const int i = c - font.first_code;
        if (i < 0 || i >= font.code_range || font.lookup[i] < 0)
            return nullptr;
        return &font.quads[font.lookup[i]];
    };
    if (const GlyphQuad* quad = entry(code))
        return quad;
    // Outside 0..255 the <cctype> tests are undefined.
    if (code < 0 || code > UCHAR_MAX)
        return nullptr;
    if (std::islower(code))
        if (const GlyphQuad* quad = entry(std::toupper(code)))
            return quad;
    if (std::isupper(code))
        return entry(std::tolower(code));
    return nullptr;
}

void set_font_filters()
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
}

}  // namespace

std::unique_ptr<TextureFont> load_texture_font(const std::string& file_name)
{
    FontFile file(file_name);
    if (!file.is_open())
        return refuse("file open failed.");
    try {
        return read_font(file);
    } catch (const std::bad_alloc&) {
        return refuse("out of memory.");
    }
}

const std::string& texture_font_error()
{
    return error_text;
}

void build_glyph_quads(TextureFont& font)
{
    const float w = static_cast<float>(font.image_width);
    const float h = static_cast<float>(font.image_height);
    const float hs = 0.5f / w;
    const float ht = 0.5f / h;
    font.quads.clear();
    font.quads.reserve(font.glyphs.size());
    int smallest = INT_MAX, largest = INT_MIN;
    for (const FontGlyph& g : font.glyphs) {
        const float s0 = g.x / w + hs, s1 = (g.x + g.width) / w + hs;
        const float t0 = g.y / h + ht, t1 = (g.y + g.height) / h + ht;
        const auto x0 = std::int16_t(g.x_offset), x1 = std::int16_t(g.x_offset + g.width);
        const auto y0 = std::int16_t(g.y_offset), y1 = std::int16_t(g.y_offset + g.height);
        font.quads.push_back({{{{s0, t0}, {x0, y0}}, {{s1, t0}, {x1, y0}}, {{s1, t1}, {x1, y1}}, {{s0, t1}, {x0, y1}}},
                              static_cast<float>(g.advance)});
        smallest = std::min<int>(smallest, g.code);
        largest = std::max<int>(largest, g.code);
    }
    font.lookup.clear();
    if (font.glyphs.empty()) {
        font.first_code = font.code_range = 0;
        return;
    }
    font.first_code = smallest;
    font.code_range = largest - smallest + 1;
    font.lookup.assign(font.code_range, -1);
    for (std::size_t i = 0; i < font.glyphs.size(); ++i)
        font.lookup[font.glyphs[i].code - smallest] = static_cast<int>(i);
}

unsigned int upload_font_texture(TextureFont& font, unsigned int texture)
{
    if (font.texture == 0) {
        if (texture == 0)
            glGenTextures(1, &texture);
        font.texture = texture;
    }
    glBindTexture(GL_TEXTURE_2D, font.texture);
    if (!font.image.empty()) {
        GLint alignment = 4;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        // Atlas rows are packed; an odd width would otherwise be read skewed.
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_INTENSITY4, font.image_width, font.image_height, GL_LUMINANCE,
                          GL_UNSIGNED_BYTE, font.image.data());
        glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    }
    return font.texture;
}

const GlyphQuad* glyph_for(const TextureFont& font, int code)
{
    if (const GlyphQuad* quad = find_glyph(font, code))
        return quad;
    const bool printable = code >= 0 && code <= UCHAR_MAX && std::isprint(code);
    char text[96];
    std::snprintf(text, sizeof text, "texfont: tried to access unavailable font character \"%c\" (%d)",
                  printable ? code : ' ', code);
    log_err() << text << '\n';
    return nullptr;
}

TextMetrics measure_text(const TextureFont& font, const char* bytes, int length)
{
    float width = 0.0f;
    int i = 0;
    while (i < length) {
        if (bytes[i] == 27) {
            const char command = i + 1 < length ? bytes[i + 1] : 0;
            i += command == 'F' ? 14 : command == 'L' || command == 'T' ? 8 : command == 'M' ? 5 : 1;
            continue;
        }
        if (const GlyphQuad* quad = glyph_for(font, static_cast<signed char>(bytes[i])))
            width += quad->advance;
        ++i;
    }
    return {width, font.ascent, font.descent};
}

void render_text(const TextureFont& font, const char* bytes, int length)
{
    // One primitive for the whole string: a renderer without a graphics card
    // pays for every primitive the matrix change between glyphs would cut.
    if (lean_drawing()) {
        float pen = 0.0f;
        glBegin(GL_QUADS);
        for (int i = 0; i < length; ++i) {
            const GlyphQuad* quad = glyph_for(font, static_cast<signed char>(bytes[i]));
            if (!quad)
                continue;
            for (const GlyphQuad::Corner& corner : quad->corners) {
                glTexCoord2fv(corner.tex);
                glVertex2f(pen + corner.vertex[0], corner.vertex[1]);
            }
            pen += quad->advance;
        }
        glEnd();
        glTranslatef(pen, 0.0f, 0.0f);
        return;
    }
    for (int i = 0; i < length; ++i) {
        const GlyphQuad* quad = glyph_for(font, static_cast<signed char>(bytes[i]));
        if (!quad)
            continue;
        glBegin(GL_QUADS);
        for (const GlyphQuad::Corner& corner : quad->corners) {
            glTexCoord2fv(corner.tex);
            glVertex2sv(corner.vertex);
        }
        glEnd();
        glTranslatef(quad->advance, 0.0f, 0.0f);
    }
}

bool text_bounds(const TextureFont& font, const char* bytes, int length, float low[2], float high[2])
{
    bool any = false;
    float pen = 0.0f;
    for (int i = 0; i < length; ++i) {
        const GlyphQuad* quad = find_glyph(font, static_cast<signed char>(bytes[i]));
        if (!quad)
            continue;
        for (const GlyphQuad::Corner& corner : quad->corners) {
            const float x = pen + corner.vertex[0], y = corner.vertex[1];
            low[0] = any ? std::min(low[0], x) : x;
            low[1] = any ? std::min(low[1], y) : y;
            high[0] = any ? std::max(high[0], x) : x;
            high[1] = any ? std::max(high[1], y) : y;
            any = true;
        }
        pen += quad->advance;
    }
    return any;
}

TextureFont* get_font(const std::string& file_name)
{
    if (auto it = font_cache.find(file_name); it != font_cache.end())
        return it->second.get();
    std::unique_ptr<TextureFont> font = load_texture_font(game_path(file_name));
    if (!font)
        return nullptr;
    if (gl_ready()) {
        glBindTexture(GL_TEXTURE_2D, upload_font_texture(*font, 0));
        set_font_filters();
    }
    return (font_cache[file_name] = std::move(font)).get();
}

void reload_fonts()
{
    for (auto& [name, font] : font_cache) {
        glBindTexture(GL_TEXTURE_2D, upload_font_texture(*font, 0));
        set_font_filters();
    }
}

void free_fonts()
{
    font_cache.clear();
}

std::vector<std::uint8_t> rasterize_text(const TextureFont& font, const std::string& text, int& width, int& height)
{
    struct Placed {
        const FontGlyph* glyph;
        int pen;
    };
    std::vector<Placed> placed;
    int pen = 0;
    // Glyph boxes are at most 255 texels, so these bounds stay small whatever
    // the header claims; ascent and descent only widen them a little.
    int left = 0, right = 0;
    int bottom = -std::clamp(font.descent, 0, 255), top = std::clamp(font.ascent, 0, 255);
    for (char c : text) {
        const GlyphQuad* quad = glyph_for(font, static_cast<signed char>(c));
        if (!quad)
            continue;
        const FontGlyph& g = font.glyphs[quad - font.quads.data()];
        placed.push_back({&g, pen});
        left = std::min(left, pen + g.x_offset);
        right = std::max(right, pen + g.x_offset + g.width);
        bottom = std::min<int>(bottom, g.y_offset);
        top = std::max(top, g.y_offset + g.height);
        pen += g.advance;
        right = std::max(right, pen);
        left = std::min(left, pen);
    }
    constexpr int margin = 4;
    width = right - left + 2 * margin;
    height = top - bottom + 2 * margin;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4, 255);
    if (font.image.empty())
        return rgba;
    const int origin_x = margin - left;
    const int baseline_from_top = margin + top;
    for (const Placed& p : placed) {
        const FontGlyph& g = *p.glyph;
        for (int j = 0; j < g.height; ++j) {
            const int ty = std::clamp(g.y + j, 0, font.image_height - 1);
            const int row = baseline_from_top - (g.y_offset + j) - 1;
            for (int i = 0; i < g.width; ++i) {
                const int tx = std::clamp(g.x + i, 0, font.image_width - 1);
                const int coverage = font.image[static_cast<std::size_t>(ty) * font.image_width + tx];
                const int col = origin_x + p.pen + g.x_offset + i;
                std::uint8_t* px = &rgba[(static_cast<std::size_t>(row) * width + col) * 4];
                for (int k = 0; k < 3; ++k)
                    px[k] = static_cast<std::uint8_t>(px[k] * (255 - coverage) / 255);
            }
        }
    }
    return rgba;
}

std::vector<std::string> font_problems(const TextureFont& font)
{
    std::vector<std::string> problems;
    char line[160];
    if (font.format != 0 && font.format != 1) {
        std::snprintf(line, sizeof line, "format %d has no atlas image; glyphs draw as blank boxes", font.format);
        problems.push_back(line);
    }
    if (static_cast<long long>(font.ascent) + font.descent <= 0)
        problems.push_back("ascent + descent is not positive, so text cannot be scaled to a height");
    std::vector<int> seen(font.code_range, 0);
    for (const FontGlyph& g : font.glyphs) {
        if (++seen[g.code - font.first_code] == 2) {
            std::snprintf(line, sizeof line, "code %d has more than one record; the last one is used", g.code);
            problems.push_back(line);
        }
        if (g.x < 0 || g.y < 0 || g.x + g.width > font.image_width || g.y + g.height > font.image_height) {
            std::snprintf(line, sizeof line, "glyph %d: box %d,%d size %dx%d reaches past the %dx%d atlas", g.code,
                          g.x, g.y, g.width, g.height, font.image_width, font.image_height);
            problems.push_back(line);
        }
    }
    std::string missing;
    for (int code = 32; code <= 126; ++code)
        if (!find_glyph(font, code))
            missing += static_cast<char>(code);
    if (!missing.empty())
        problems.push_back("no glyph in either case for \"" + missing + "\"");
    return problems;
}
