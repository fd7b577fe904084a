#include "render/png.hpp"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <png.h>

#include "storage/invariant.hpp"
#include "storage/log.hpp"

namespace {

// The largest texture side GL drivers accept. A forged header may claim up to
// 2^31 - 1 pixels a side; refusing more than this before allocating keeps
// width * height * 4 at 1 GiB at most, far from overflow.
constexpr png_uint_32 max_png_side = 16384;

// Deflate turns at best 2 bits into a 258-byte match: no file holds a picture
// whose filtered rows take more than this many times its own size.
constexpr std::uint64_t max_deflate_ratio = 1032;
// Text, colour profiles and suggested palettes: all ignored, never large.
constexpr png_alloc_size_t max_png_chunk_bytes = 8 << 20;

// Set while a quiet load runs on this thread: its words are not printed,
// only marked here, so that the file can be read again where they may be.
thread_local bool* quiet_load_spoke = nullptr;

bool quiet()
{
    if (quiet_load_spoke)
        *quiet_load_spoke = true;
    return quiet_load_spoke != nullptr;
}

// libpng's own words, on the game's error stream where the tests and the
// tools can see them, then back to the setjmp in load_png.
[[noreturn]] void report_png_error(png_structp png, png_const_charp message)
{
    if (!quiet())
        log_err() << "libpng error: " << message << '\n';
    png_longjmp(png, 1);
}

void report_png_warning(png_structp, png_const_charp message)
{
    if (!quiet())
        log_err() << "libpng warning: " << message << '\n';
}

}  // namespace

bool load_png(const std::string& path, std::uint32_t& width, std::uint32_t& height,
              std::vector<std::uint32_t>& pixels)
{
    width = height = 0;
    pixels.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        if (!quiet())
            log_out() << "  cannot open file." << '\n';
        return false;
    }
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, report_png_error, report_png_warning);
    if (!png) {
        if (!quiet())
            log_out() << "  cannot alloc read struct." << '\n';
        std::fclose(file);
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        if (!quiet())
            log_out() << "  cannot alloc info struct." << '\n';
        png_destroy_read_struct(&png, nullptr, nullptr);
        std::fclose(file);
        return false;
    }
    // libpng reports errors by longjmp back here, which skips destructors: past
    // this point the frame holds only plain values, and the row pointers are a
    // malloc'd block, volatile because it is set after setjmp.
    png_bytep* volatile rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        if (!quiet())
            log_out() << "  png interal error." << '\n';
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(rows);
        std::fclose(file);
        pixels.clear();
        pixels.shrink_to_fit();
        return false;
    }
    png_set_user_limits(png, max_png_side, max_png_side);
    // libpng allocates a chunk's whole claimed length before reading it, and
    // only warns when that is absurd. Of the ancillary chunks only the
    // transparency matters here; the others are skipped unread, unknown ones
    // too (no gamma or colour handling is asked for, so the pixels are the
    // same).
    static const png_byte unused_chunks[] = "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0"
                                            "sCAL\0sPLT\0sRGB\0tEXt\0tIME\0zTXt";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, unused_chunks, sizeof unused_chunks / 5);
    png_set_chunk_malloc_max(png, max_png_chunk_bytes);
    std::uint64_t file_size = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long end = std::ftell(file);
        file_size = end > 0 ? static_cast<std::uint64_t>(end) : 0;
    }
    std::rewind(file);
    png_init_io(png, file);
    png_read_info(png, info);
    const png_uint_32 w = png_get_image_width(png, info);
    const png_uint_32 h = png_get_image_height(png, info);
    // A header may claim a picture far larger than the file could ever
    // decode to; refuse it before the pixels are allocated.
    const std::uint64_t stored_bytes = static_cast<std::uint64_t>(h) * (png_get_rowbytes(png, info) + 1);
    if (stored_bytes / max_deflate_ratio > file_size)
        png_error(png, "image data too short for the picture's size");
    const int color_type = png_get_color_type(png, info);
    const int bit_depth = png_get_bit_depth(png, info);
    if (color_type == PNG_COLOR_TYPE_PALETTE)
        png_set_palette_to_rgb(png);
    if (color_type == PNG_COLOR_TYPE_GRAY || color_type == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    if ((color_type & PNG_COLOR_MASK_ALPHA) == 0)
        png_set_add_alpha(png, 255, PNG_FILLER_AFTER);
    if (bit_depth < 8)
        png_set_packing(png);
    if (bit_depth == 16)
        png_set_strip_16(png);
    // png_read_image would turn this on by itself, but libpng 1.6 warns about it.
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    INVARIANT(png_get_rowbytes(png, info) == w * sizeof(std::uint32_t) && "rowbytes == w*sizeof(uint32_t)");

    bool allocated = true;
    try {
        pixels.resize(static_cast<std::size_t>(w) * h);
    } catch (const std::bad_alloc&) {
        allocated = false;
    }
    rows = static_cast<png_bytep*>(std::malloc(h * sizeof(png_bytep)));
    if (!allocated || !rows)
        png_error(png, "out of memory");
    for (png_uint_32 r = 0; r < h; ++r)
        rows[r] = reinterpret_cast<png_bytep>(pixels.data() + static_cast<std::size_t>(h - 1 - r) * w);
    png_read_image(png, rows);

    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    std::free(rows);
    width = w;
    height = h;
    return true;
}

bool load_png_quietly(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                     std::vector<std::uint32_t>& pixels)
{
    bool spoke = false;
    quiet_load_spoke = &spoke;
    const bool loaded = load_png(path, width, height, pixels);
    quiet_load_spoke = nullptr;
    return loaded && !spoke;
}

void flip_rows(std::vector<std::uint32_t>& pixels, std::uint32_t width, std::uint32_t height)
{
    INVARIANT(pixels.size() == static_cast<std::size_t>(width) * height);
    const auto row = [&](std::uint32_t r) { return pixels.begin() + static_cast<std::ptrdiff_t>(r) * width; };
    for (std::uint32_t r = 0; r < height / 2; ++r)
        std::swap_ranges(row(r), row(r + 1), row(height - 1 - r));
}

bool save_png(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgba)
{
    if (width <= 0 || height <= 0 || rgba.size() != static_cast<std::size_t>(width) * height * 4) {
        log_err() << "Cannot write " << path << ": bad image size" << '\n';
        return false;
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, path.c_str(), 0, rgba.data(), 0, nullptr)) {
        log_err() << "Cannot write " << path << ": " << image.message << '\n';
        return false;
    }
    return true;
}
