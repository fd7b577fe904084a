#include "render/gui_font.hpp"

#include <algorithm>

#include "render/box_texture.hpp"
#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/texture_manager.hpp"
#include "storage/log.hpp"

GuiFont::GuiFont(const std::string& file_name)
{
    font = get_font(file_name);
    if (!font) {
        log_out() << "Can't find font " << file_name << " using default instead.\n";
        font = get_font("default.txf");
    }
    if (!font) {
        log_err() << "GuiFont: default.txf cannot be loaded (" << texture_font_error() << "); text will not be drawn.\n";
        return;
    }
    // Measuring every letter also reports any the font cannot draw in either case.
    static const std::string letters = "ABCDEFGHIGHLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwyxz";
    const TextMetrics metrics = measure_text(*font, letters.data(), static_cast<int>(letters.size()));
    const double extent = static_cast<double>(metrics.ascent) + metrics.descent;
    // A damaged header could make the extent 0 or negative; such a font draws nothing.
    scale = extent > 0.0 ? 1.0 / extent : 0.0;
    descent = metrics.descent;
}

bool GuiFont::draw_kept_line(const std::string& text) const
{
    // A line of text that stays put while what is under it moves (a menu
    // over the demo) is kept with lean drawing as the coverage of its
    // letters, made as render_text draws them, and laid in one pass: a texel
    // read for each pixel instead of eight. Its colour is applied as it is
    // laid, so a pulsing line is kept too.
    if (!lean_drawing())
        return false;
    float low[2], high[2];
    if (!text_bounds(*font, text.data(), static_cast<int>(text.size()), low, high))
        return false;
    static BoxTextures lines(64);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    LayerKey key;
    key.add(static_cast<std::uint64_t>(font->texture));
    key.add(text);
    add_placement(key, viewport);
    const PixelBox box = window_pixels(Vector2(low[0], low[1]), Vector2(high[0], high[1]), viewport);
    GLdouble colour[4];
    glGetDoublev(GL_CURRENT_COLOR, colour);
    const GLuint line = lines.find(key.value(), box, [&] {
        // White letters as coverage: where two overlap, their union.
        glColor4d(1.0, 1.0, 1.0, 1.0);
        framebuffer_calls().blend_func_separate(GL_ONE, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
        glPushMatrix();
        render_text(*font, text.data(), static_cast<int>(text.size()));
        glPopMatrix();
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    });
    glColor4dv(colour);
    if (line == 0)
        return false;
    lay_box_texture(line, box, viewport);
    return true;
}

double GuiFont::text_width(const std::string& text, double height) const
{
    if (!font)
        return 0.0;
    return measure_text(*font, text.data(), static_cast<int>(text.size())).width * scale * height;
}

void GuiFont::draw_text(const Vector2& position, const std::string& text, double height) const
{
    if (!font || scale == 0.0)
        return;
    glPushMatrix();
    glTranslated(position.x, position.y, 0.0);
    const double s = scale * height;
    glScaled(s, s, 1.0);
    glTranslated(0.0, descent, 0.0);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    // A glyph's corners are in atlas texels here.
    bind_texture_at(font->texture, Sampling::letters, 1.0 / std::max(font->image_width, 1),
                    1.0 / std::max(font->image_height, 1));
    if (!draw_kept_line(text))
        render_text(*font, text.data(), static_cast<int>(text.size()));
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}
