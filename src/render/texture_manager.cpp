#include "render/texture_manager.hpp"

#include <algorithm>
#include <cmath>
#include <future>
#include <map>
#include <type_traits>
#include <vector>

#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/gl_errors.hpp"
#include "render/png.hpp"
#include "storage/game_folders.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

static_assert(std::is_same_v<GLuint, std::uint32_t> && std::is_same_v<GLint, std::int32_t>);

namespace {

std::map<std::string, TextureInfo>& texture_cache()
{
    static std::map<std::string, TextureInfo> cache;
    return cache;
}

// The textures asked for with a side that fades into the border colour.
std::map<GLuint, std::pair<GLint, GLint>>& border_wraps()
{
    static std::map<GLuint, std::pair<GLint, GLint>> wraps;
    return wraps;
}

Margins clamped_sides(GLint wrap_s, GLint wrap_t)
{
    return {wrap_s == GL_CLAMP, wrap_t == GL_CLAMP};
}

void set_wrap(GLuint texture, GLint wrap_s, GLint wrap_t)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrap_s);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrap_t);
    if (texture != 0 && (wrap_s == GL_CLAMP || wrap_t == GL_CLAMP))
        border_wraps()[texture] = {wrap_s, wrap_t};
    else
        border_wraps().erase(texture);
}

// A software renderer filters a picture that clamps to its edge texel in
// 8-bit integers, but one that fades into the border colour in floating
// point, at several times the cost of every pixel. Lean drawing clamps to the
// edge instead; the transparent margin fades the same way.
GLint lean_wrap(GLint wrap)
{
    return wrap == GL_CLAMP && lean_drawing() ? GL_CLAMP_TO_EDGE : wrap;
}

}  // namespace

namespace {

bool all_opaque(const std::vector<std::uint32_t>& pixels)
{
    for (std::uint32_t pixel : pixels)
        if ((pixel >> 24) != 0xFF)
            return false;
    return !pixels.empty();
}

// Set by each load for the cache entry it fills.
bool last_load_opaque = false;

// A picture read ahead: decoded, top row first.
struct ReadPicture {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::vector<std::uint32_t> pixels;
};

std::future<std::map<std::string, ReadPicture>> reading_ahead;
std::map<std::string, ReadPicture> read_ahead;

bool take_read_picture(const std::string& path, std::uint32_t& width, std::uint32_t& height,
                       std::vector<std::uint32_t>& pixels)
{
    if (reading_ahead.valid())
        read_ahead = reading_ahead.get();
    const auto found = read_ahead.find(path);
    if (found == read_ahead.end())
        return false;
    width = found->second.width;
    height = found->second.height;
    pixels = std::move(found->second.pixels);
    read_ahead.erase(found);
    return true;
}

// The next smaller mipmap level: each texel the rounded average of the 2x2
// block it stands for (2x1 once a side is down to 1), as GL's own generation
// makes it.
std::vector<std::uint32_t> half_size(const std::vector<std::uint32_t>& pixels, std::uint32_t width,
                                     std::uint32_t height)
{
    const std::uint32_t half_width = std::max(width / 2, 1u);
    const std::uint32_t half_height = std::max(height / 2, 1u);
    std::vector<std::uint32_t> half(static_cast<std::size_t>(half_width) * half_height);
    for (std::uint32_t y = 0; y < half_height; ++y) {
        const std::uint32_t y0 = std::min(2 * y, height - 1), y1 = std::min(2 * y + 1, height - 1);
        for (std::uint32_t x = 0; x < half_width; ++x) {
            const std::uint32_t x0 = std::min(2 * x, width - 1), x1 = std::min(2 * x + 1, width - 1);
            const std::uint32_t block[4] = {pixels[y0 * width + x0], pixels[y0 * width + x1],
                                            pixels[y1 * width + x0], pixels[y1 * width + x1]};
            std::uint32_t texel = 0;
            for (int shift = 0; shift < 32; shift += 8) {
                std::uint32_t sum = 2;
                for (std::uint32_t p : block)
                    sum += (p >> shift) & 0xFF;
                texel |= (sum / 4) << shift;
            }
            half[static_cast<std::size_t>(y) * half_width + x] = texel;
        }
    }
    return half;
}

// The picture in the middle of a transparent margin of half its size before
// and after it on each side asked for (on a side of odd size, half a texel
// short of the middle).
std::vector<std::uint32_t> with_margins(const std::vector<std::uint32_t>& pixels, std::uint32_t& width,
                                        std::uint32_t& height, Margins margins)
{
    const std::uint32_t left = margins.s ? width / 2 : 0, bottom = margins.t ? height / 2 : 0;
    const std::uint32_t wide = margins.s ? 2 * width : width, high = margins.t ? 2 * height : height;
    std::vector<std::uint32_t> framed(static_cast<std::size_t>(wide) * high, 0);
    for (std::uint32_t y = 0; y < height; ++y)
        std::copy_n(pixels.begin() + static_cast<std::ptrdiff_t>(y) * width, width,
                    framed.begin() + static_cast<std::ptrdiff_t>(y + bottom) * wide + left);
    width = wide;
    height = high;
    return framed;
}

// Every level down to 1x1. A software renderer makes mipmaps by drawing each
// level, which costs it a compiled shader and a frame's worth of time at the
// first picture; made here, they are plain copies.
void upload_levels(std::vector<std::uint32_t> pixels, std::uint32_t width, std::uint32_t height)
{
    for (GLint level = 0;; ++level) {
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
        if (width == 1 && height == 1)
            return;
        pixels = half_size(pixels, width, height);
        width = std::max(width / 2, 1u);
        height = std::max(height / 2, 1u);
    }
}

// The clamp the texture was asked for, in the form lean drawing reads it.
void set_bound_wraps(GLuint texture)
{
    if (const auto found = border_wraps().find(texture); found != border_wraps().end()) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, lean_wrap(found->second.first));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, lean_wrap(found->second.second));
    }
}

// GL's own limits on the level of detail: none in effect.
constexpr float lowest_lod = -1000.0f;
constexpr float highest_lod = 1000.0f;

// Which levels of the bound texture are read, and how its clamped sides wrap.
void set_levels_read(GLuint texture, GLint filter, float min_lod, float max_lod, GLint enlarged_filter = GL_LINEAR)
{
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, filter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, enlarged_filter);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MIN_LOD, min_lod);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_LOD, max_lod);
    set_bound_wraps(texture);
}

// How many times finer than the screen drawing is (a picture to be laid on it).
double drawing_finer = 1.0;

}  // namespace

ScreenLevels::ScreenLevels(double finer) : previous_(drawing_finer)
{
    drawing_finer = finer;
}

ScreenLevels::~ScreenLevels()
{
    drawing_finer = previous_;
}

double pixels_per_unit()
{
    GLdouble model[16];
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    // Where one unit along an axis lands in clip coordinates, then in pixels.
    const auto axis = [&](int column) {
        double clip[2] = {0.0, 0.0};
        for (int row = 0; row < 2; ++row)
            for (int k = 0; k < 4; ++k)
                clip[row] += projection[k * 4 + row] * model[column * 4 + k];
        return std::hypot(clip[0] * viewport[2] / 2.0, clip[1] * viewport[3] / 2.0);
    };
    return std::min(axis(0), axis(1));
}

std::uint32_t load_texture_file(const char* path, double& aspect, std::uint32_t texture_name, Margins margins)
{
    last_load_opaque = false;
    log_err() << "We're trying to load " << path << '\n';
    std::uint32_t width = 0, height = 0;
    std::vector<std::uint32_t> data;
    if (!take_read_picture(path, width, height, data)) {
        if (!load_png(game_path(path), width, height, data)) {
            log_err() << "Didn't work." << '\n';
            return 0;
        }
        flip_rows(data, width, height);
    }
    INVARIANT(static_cast<std::size_t>(width) * height == data.size() && "width * height == data.size()");
    aspect = static_cast<double>(width) / static_cast<double>(height);
    last_load_opaque = all_opaque(data);
    if (margins.s || margins.t)
        data = with_margins(data, width, height, margins);

    GLuint texture = texture_name;
    if (texture == 0)
        glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    if (lean_drawing()) {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_FALSE);
        upload_levels(std::move(data), width, height);
    } else {
        glTexParameteri(GL_TEXTURE_2D, GL_GENERATE_MIPMAP, GL_TRUE);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, static_cast<GLsizei>(width), static_cast<GLsizei>(height), 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, data.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    gl_errors("texture upload");
    return texture;
}

void read_pictures_ahead(std::vector<std::string> paths)
{
    reading_ahead = std::async(std::launch::async, [paths = std::move(paths)] {
        std::map<std::string, ReadPicture> pictures;
        for (const std::string& path : paths) {
            ReadPicture picture;
            if (!load_png_quietly(game_path(path), picture.width, picture.height, picture.pixels))
                continue;
            flip_rows(picture.pixels, picture.width, picture.height);
            pictures.emplace(path, std::move(picture));
        }
        return pictures;
    });
}

std::uint32_t get_texture(const std::string& path, double& aspect, std::int32_t wrap_s, std::int32_t wrap_t)
{
    auto& cache = texture_cache();
    if (auto found = cache.find(path); found != cache.end()) {
        aspect = found->second.aspect;
        return found->second.texture_object;
    }
    // Headless: nothing to upload into. Callers get 0 and nothing is cached.
    if (!gl_ready())
        return 0;
    const GLuint texture = load_texture_file(path.c_str(), aspect, 0, clamped_sides(wrap_s, wrap_t));
    cache.emplace(path, TextureInfo{texture, aspect, wrap_s, wrap_t, texture != 0 && last_load_opaque});
    set_wrap(texture, wrap_s, wrap_t);
    return texture;
}

void reload_textures()
{
    for (auto& [path, info] : texture_cache()) {
        // Whoever asked for a failed file holds 0; a new name would reach nobody.
        if (info.texture_object == 0)
            continue;
        // A file that vanished or broke since its first load leaves its name
        // empty rather than stopping the game on a mode switch.
        load_texture_file(path.c_str(), info.aspect, info.texture_object, clamped_sides(info.wrap_s, info.wrap_t));
        info.opaque = last_load_opaque;
        set_wrap(info.texture_object, info.wrap_s, info.wrap_t);
    }
}

void bind_texture(std::uint32_t texture, Sampling sampling)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint filter = GL_LINEAR_MIPMAP_LINEAR;
    if (lean_drawing() && sampling != Sampling::letters)
        filter = sampling == Sampling::enlarged || sampling == Sampling::soft ? GL_LINEAR : GL_LINEAR_MIPMAP_NEAREST;
    set_levels_read(texture, filter, lowest_lod, highest_lod);
}

void bind_texture_at(std::uint32_t texture, Sampling sampling, double s_per_unit, double t_per_unit)
{
    if (!lean_drawing()) {
        bind_texture(texture, sampling);
        return;
    }
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint width = 0;
    GLint height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    const double texels = std::max(std::abs(s_per_unit) * width, std::abs(t_per_unit) * height);
    const double lod = std::log2(texels * drawing_finer / pixels_per_unit());
    if (!std::isfinite(lod)) {
        bind_texture(texture, sampling);
        return;
    }
    // Enlarged, any filtering reads the full-size level alone. Shrunk, the
    // level of detail is pinned to the one the renderer would otherwise work
    // out for every four pixels: llvmpipe then leaves that work out.
    if (sampling == Sampling::soft && lod >= -0.5) {
        const float fixed = static_cast<float>(lod);
        set_levels_read(texture, GL_NEAREST_MIPMAP_NEAREST, fixed, fixed, GL_NEAREST);
        return;
    }
    if (sampling == Sampling::enlarged || sampling == Sampling::soft || lod <= 0.0) {
        set_levels_read(texture, GL_LINEAR, lowest_lod, highest_lod);
        return;
    }
    const float fixed = static_cast<float>(lod);
    set_levels_read(texture, sampling == Sampling::letters ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR_MIPMAP_NEAREST, fixed,
                    fixed);
}

bool texture_opaque(const std::string& path)
{
    const auto& cache = texture_cache();
    const auto found = cache.find(path);
    return found != cache.end() && found->second.opaque;
}
