#include "render/png.hpp"

#include <cstdio>
#include <cstring>

#include <png.h>

#include "app/log.hpp"

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
