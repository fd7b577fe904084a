#pragma once

#include <memory>
#include <string>

#include "geometry/vector2.hpp"

class GuiFont;

// Item and goal tags: lines of text this high, on a dark box this much larger.
constexpr double tag_height = 0.07;
constexpr double tag_margin = 0.02;

// The font a tag is written in ("tag.txf"). Bodies and goals only name it:
// the drawing (render/tag_drawing.cpp) loads it the first time a tag is
// measured or drawn, so that they are made and stepped without a window.
class TagFont {
public:
    double text_width(const std::string& text, double height) const;
    void draw_text(const Vector2& position, const std::string& text, double height) const;

private:
    const GuiFont& font() const;

    mutable std::shared_ptr<const GuiFont> font_;
};
