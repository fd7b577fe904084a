#include "world/level_sheet.hpp"

#include <algorithm>
#include <cmath>
#include <memory>

#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/gui_font.hpp"
#include "render/offscreen_frame.hpp"
#include "render/png.hpp"
#include "world/level_list.hpp"
#include "world/runner.hpp"
#include "world/world.hpp"

namespace {

struct Placed {
    int left = 0, top = 0, width = 0, height = 0;  // the picture, in sheet pixels from the top left
};

int pixels(double units, double per_unit)
{
    return std::max(1, static_cast<int>(std::lround(units * per_unit)));
}

}  // namespace

bool draw_level_sheet(const std::vector<SheetEntry>& entries, int screen_width, LevelPicture& sheet,
                      std::string& error)
{
    if (screen_width < 16) {
        error = "a screen must take at least 16 pixels";
        return false;
    }
    const double per_unit = screen_width / (2 * view_half_width);
    const int margin = std::max(8, screen_width / 24);
    const int caption = std::max(12, screen_width / 16);
    const int row_limit = 4 * screen_width + 3 * margin;

    // Rows from left to right; a level that does not fit starts the next one.
    std::vector<Placed> placed;
    int x = margin, row_top = margin, row_height = 0, width = margin + row_limit + margin;
    for (const SheetEntry& entry : entries) {
        const Vector2 size = entry.world->bounds_max - entry.world->bounds_min;
        if (!(size.x > 0 && size.y > 0)) {
            error = entry.name + ": the level's bounds are empty";
            return false;
        }
        Placed p{x, 0, pixels(size.x, per_unit), pixels(size.y, per_unit)};
        if (x > margin && x + p.width > margin + row_limit) {
            row_top += row_height + margin;
            row_height = 0;
            p.left = margin;
        }
        p.top = row_top + caption + margin / 2;
        row_height = std::max(row_height, caption + margin / 2 + p.height);
        x = p.left + p.width + margin;
        width = std::max(width, x);
        placed.push_back(p);
    }
    const int height = row_top + row_height + margin;

    OffscreenFrame frame;
    const PlainDrawing plain;
    if (!frame.open(width, height, error))
        return false;
    glClearColor(0.02f, 0.02f, 0.04f, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Placed& p = placed[i];
        draw_whole_level(*entries[i].world, p.left, height - p.top - p.height, p.width, p.height);
    }

    // Captions in sheet pixels, y up as GL has it.
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, width, 0, height, -1, 1);
    glMatrixMode(GL_MODELVIEW);
    const GuiFont font("menu.txf");
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Placed& p = placed[i];
        const Vector2 at(p.left, height - p.top + margin / 2);
        glColor3d(1, 1, 1);
        font.draw_text(at, entries[i].name, caption);
        std::string size = "(";
        size += screens_text(*entries[i].world);
        size += ')';
        glColor3d(0.6, 0.6, 0.7);
        font.draw_text(Vector2(at.x + font.text_width(entries[i].name + "  ", caption), at.y), size, caption);
    }
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);

    sheet.width = width;
    sheet.height = height;
    sheet.rgba = frame.read_rgba();
    return true;
}
