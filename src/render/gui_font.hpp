#pragma once

#include <string>

#include "geometry/vector2.hpp"
#include "render/texture_font.hpp"

// Text of a given height at a given place, drawn with a cached texture font.
// A font that cannot be loaded is replaced by "default.txf".
class GuiFont {
public:
    explicit GuiFont(const std::string& file_name);

    // Null only when "default.txf" is missing too; then nothing is measured or drawn.
    TextureFont* font = nullptr;
    // Font texels to text heights: 1 / (ascent + descent).
    double scale = 0.0;
    double descent = 0.0;

    double text_width(const std::string& text, double height) const;
    // The text box spans y from position.y to position.y + height, starting at
    // position.x. Leaves blending enabled and the colour as the caller set it.
    void draw_text(const Vector2& position, const std::string& text, double height) const;

private:
    // Lays the line from its kept coverage, in the frame draw_text has set
    // up; false when it is not kept (yet) and must be drawn.
    bool draw_kept_line(const std::string& text) const;
};
