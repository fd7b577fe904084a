#pragma once

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include <png.h>

// A PNG as it is stored: rows of raw sample bytes in the file's own colour
// type and bit depth (16-bit samples big-endian, sub-byte samples packed from
// the high bits), top row first.
struct TestPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int color_type = PNG_COLOR_TYPE_RGBA;
    int bit_depth = 8;
    bool interlaced = false;
    std::vector<png_color> palette;
    std::vector<png_byte> palette_alpha;  // written as a tRNS chunk when not empty
    std::vector<std::vector<png_byte>> rows;
};

// Writes the image with libpng's own writer, so the loader meets files made
// independently of it. False when libpng refuses.
inline bool write_test_png(const std::string& path, const TestPng& image)
{
    std::vector<png_bytep> rows;
    for (const auto& row : image.rows)
        rows.push_back(const_cast<png_bytep>(row.data()));
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        std::fclose(file);
        return false;
    }
    // Everything with a destructor is built above: libpng's errors longjmp here.
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, image.width, image.height, image.bit_depth, image.color_type,
                 image.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!image.palette.empty())
        png_set_PLTE(png, info, image.palette.data(), static_cast<int>(image.palette.size()));
    if (!image.palette_alpha.empty())
        png_set_tRNS(png, info, image.palette_alpha.data(), static_cast<int>(image.palette_alpha.size()), nullptr);
    png_write_info(png, info);
    png_write_image(png, rows.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// An 8-bit RGBA image from words in the loader's layout (red in the low byte),
// top row first.
inline TestPng rgba_png(std::uint32_t width, std::uint32_t height, const std::vector<std::uint32_t>& top_down)
{
    TestPng image;
    image.width = width;
    image.height = height;
    for (std::uint32_t y = 0; y < height; ++y) {
        std::vector<png_byte> row;
        for (std::uint32_t x = 0; x < width; ++x)
            for (int shift = 0; shift < 32; shift += 8)
                row.push_back(static_cast<png_byte>(top_down[y * width + x] >> shift));
        image.rows.push_back(row);
    }
    return image;
}

constexpr std::uint32_t rgba_word(std::uint32_t r, std::uint32_t g, std::uint32_t b, std::uint32_t a = 255)
{
    return r | g << 8 | b << 16 | a << 24;
}
