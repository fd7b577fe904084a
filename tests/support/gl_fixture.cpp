#include "support/gl_fixture.hpp"

#include <cstdlib>

#include <SDL/SDL.h>

#include "app/shell.hpp"
#include "render/gl.hpp"

namespace {

bool window_open = false;

void open_window_once()
{
    if (window_open)
        return;
    ASSERT_NE(SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER), -1) << SDL_GetError();
    std::atexit(SDL_Quit);
    open_video(false);
    window_open = true;
}

}  // namespace

void GlTest::SetUp()
{
    open_window_once();
    gl_setup();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 0);
    glClearStencil(0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glColor4d(1, 1, 1, 1);
    while (glGetError() != GL_NO_ERROR) {
    }
}

std::uint32_t GlTest::pixel(int x, int y)
{
    std::uint8_t rgba[4] = {};
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return rgba[0] | rgba[1] << 8 | rgba[2] << 16 | static_cast<std::uint32_t>(rgba[3]) << 24;
}

void GlTest::to_pixel(double ux, double uy, int& px, int& py)
{
    px = static_cast<int>((ux * 768.0 / 2.0) + gl_test_width / 2.0);
    py = static_cast<int>((uy + 1.0) * gl_test_height / 2.0);
}

std::uint32_t GlTest::pixel_at_units(double ux, double uy)
{
    int px = 0, py = 0;
    to_pixel(ux, uy, px, py);
    return pixel(px, py);
}

std::vector<std::uint8_t> GlTest::read_rgba(int& width, int& height)
{
    width = gl_test_width;
    height = gl_test_height;
    std::vector<std::uint8_t> bottom_up(static_cast<std::size_t>(width) * height * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, bottom_up.data());
    std::vector<std::uint8_t> top_down(bottom_up.size());
    const std::size_t row = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < height; ++y)
        std::copy_n(bottom_up.begin() + (height - 1 - y) * row, row, top_down.begin() + y * row);
    return top_down;
}
