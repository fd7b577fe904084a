#include "world/level_picture.hpp"

#include <algorithm>
#include <cmath>
#include <iomanip>
#include <memory>
#include <sstream>

#include "render/files.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/offscreen_frame.hpp"
#include "render/particles.hpp"
#include "render/png.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace {

// Two decimals at most, without trailing zeros: 1.5, 1.1, 2.
std::string short_number(double value)
{
    std::ostringstream text;
    text << std::fixed << std::setprecision(2) << value;
    std::string s = text.str();
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

}  // namespace

std::string screens_text(const World& world)
{
    const Vector2 size = world.bounds_max - world.bounds_min;
    const std::string across = short_number(size.x / (2 * view_half_width));
    const std::string down = short_number(size.y / (2 * view_half_height));
    if (across == "1" && down == "1")
        return "1 screen";
    return across + " x " + down + " screens";
}

void draw_whole_level(World& world, int left, int bottom, int width, int height)
{
    glViewport(left, bottom, width, height);
    glScissor(left, bottom, width, height);
    glEnable(GL_SCISSOR_TEST);
    // As a frame starts: polygons count their coverage in the stencil from 0.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);

    // The background fills the picture as it fills the screen.
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glScaled(1 / view_half_width, 1 / view_half_height, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    draw_background();

    // The bounds fill the picture. Depth is left as the game's projection
    // leaves it, for the light bands' nearest-outline test.
    const Vector2 size = world.bounds_max - world.bounds_min;
    const Vector2 centre = (world.bounds_min + world.bounds_max) * 0.5;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glScaled(2 / size.x, 2 / size.y, 1);
    glTranslated(-centre.x, -centre.y, 0);
    glMatrixMode(GL_MODELVIEW);
    world.draw_contents(true);

    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glDisable(GL_SCISSOR_TEST);
}

bool draw_level_picture(World& world, int width, LevelPicture& picture, std::string& error)
{
    const Vector2 size = world.bounds_max - world.bounds_min;
    if (!(size.x > 0 && size.y > 0)) {
        error = "the level's bounds are empty";
        return false;
    }
    if (width == 0) {
        const double largest = OffscreenFrame::max_side();
        const double scale = std::min({game_pixels_per_unit, largest / size.x, largest / size.y});
        width = static_cast<int>(std::lround(size.x * scale));
    }
    if (width < 1) {
        error = "the width must be at least 1 pixel";
        return false;
    }
    const double height = std::max(1.0, std::round(width * size.y / size.x));
    OffscreenFrame frame;
    const PlainDrawing plain;
    // A level too thin for the width asks for a height that no GL draws.
    if (!frame.open(width, static_cast<int>(std::min(height, 2e9)), error))
        return false;
    draw_whole_level(world, 0, 0, frame.width(), frame.height());
    picture.width = frame.width();
    picture.height = frame.height();
    picture.rgba = frame.read_rgba();
    return true;
}
