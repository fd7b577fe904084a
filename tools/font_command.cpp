#include <charconv>
#include <iostream>
#include <string>
#include <vector>

#include "render/font_maker.hpp"
#include "render/png.hpp"
#include "render/texture_font.hpp"
#include "tool_command.hpp"

namespace {

const char usage[] =
    "  font make TTF PIXEL_SIZE OUT.txf     render codes 32 to 126 of a TrueType font into a texture font\n"
    "  font info FILE.txf                   print a texture font's header, code range and problems\n"
    "  font render FILE.txf TEXT OUT.png    draw TEXT with a texture font's atlas into a PNG";

int usage_error()
{
    std::cerr << "usage:\n" << usage << '\n';
    return 2;
}

int make(const std::vector<std::string>& args)
{
    int pixel_size = 0;
    const std::string& size_text = args[2];
    const auto [end, ec] = std::from_chars(size_text.data(), size_text.data() + size_text.size(), pixel_size);
    if (ec != std::errc() || end != size_text.data() + size_text.size())
        return usage_error();
    std::string error;
    const std::unique_ptr<TextureFont> font = make_texture_font(args[1], pixel_size, error);
    if (!font) {
        std::cerr << "font make: " << error << '\n';
        return 1;
    }
    if (!save_texture_font(args[3], *font))
        return 1;
    std::cout << args[3] << ": " << font->glyph_count << " glyphs, atlas " << font->image_width << " x "
              << font->image_height << ", ascent " << font->ascent << ", descent " << font->descent << '\n';
    return 0;
}

std::unique_ptr<TextureFont> load_or_explain(const std::string& file_name)
{
    std::unique_ptr<TextureFont> font = load_texture_font(file_name);
    if (!font)
        std::cerr << file_name << ": " << texture_font_error() << '\n';
    return font;
}

int info(const std::vector<std::string>& args)
{
    const std::unique_ptr<TextureFont> font = load_or_explain(args[1]);
    if (!font)
        return 1;
    const char* format_name = font->format == 0   ? " (one byte per texel)"
                              : font->format == 1 ? " (one bit per texel)"
                                                  : " (unknown, no atlas)";
    std::cout << "byte order: " << (font->big_endian ? "big-endian" : "little-endian") << '\n'
              << "format: " << font->format << format_name << '\n'
              << "image size: " << font->image_width << " x " << font->image_height << '\n'
              << "ascent: " << font->ascent << '\n'
              << "descent: " << font->descent << '\n'
              << "glyph count: " << font->glyph_count << '\n'
              << "code range: " << font->first_code << " to " << font->first_code + font->code_range - 1 << " ("
              << font->code_range << " codes)\n";
    const std::vector<std::string> problems = font_problems(*font);
    if (problems.empty())
        std::cout << "problems: none\n";
    for (const std::string& problem : problems)
        std::cout << "problem: " << problem << '\n';
    return 0;
}

int render(const std::vector<std::string>& args)
{
    const std::unique_ptr<TextureFont> font = load_or_explain(args[1]);
    if (!font)
        return 1;
    int width = 0, height = 0;
    const std::vector<std::uint8_t> rgba = rasterize_text(*font, args[2], width, height);
    return save_png(args[3], width, height, rgba) ? 0 : 1;
}

int run(const std::vector<std::string>& args)
{
    if (args.size() == 4 && args[0] == "make")
        return make(args);
    if (args.size() == 2 && args[0] == "info")
        return info(args);
    if (args.size() == 4 && args[0] == "render")
        return render(args);
    return usage_error();
}

const ToolCommand command("font", usage, run);

}  // namespace
