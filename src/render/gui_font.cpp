#include "render/gui_font.hpp"

#include <algorithm>

#include "render/gl.hpp"
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
    render_text(*font, text.data(), static_cast<int>(text.size()));
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}
