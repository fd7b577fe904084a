#pragma once

#include <array>
#include <string>

#include "menu/base_menu_item.hpp"
#include "render/gui_font.hpp"

using MenuColour = std::array<double, 4>;  // RGBA

// The wrap of every hover pulse; close enough to 2 pi for a pulse.
constexpr double pulse_wrap = 6.28318;

// Advances the hover fade (in fast, out slowly) and the pulse phase, which
// only moves while the item is or recently was selected.
void advance_hover(double dt, bool selected, double& hover, double& phase);

// Centred text of one or more lines ('\n' separates them), with an optional
// dark band behind it. Most items are built on it.
class StringItem : public BaseMenuItem {
public:
    // An idle alpha below 0.5 is raised to 0.5.
    StringItem(std::string text, bool backing, double text_height, Vector2 position, double idle_alpha);

    bool contains(const Vector2& p) override;
    void update(double& dt, bool& selected) override;
    void draw() override;
    ~StringItem() override;

    // Lays the text out again; everything whose text changes goes through here.
    void set_text(const std::string& new_text, double new_text_height);

    std::string text;
    double text_height = 0;
    Vector2 position;
    double half_width = 0;
    double half_height = 0;
    MenuColour selected_high{1, 1, 1, 1};
    MenuColour selected_low{0.9, 0.9, 0.9, 1};
    MenuColour idle_high;
    MenuColour idle_low;
    double phase = 0;
    double hover = 0;
    bool backing = false;
    GuiFont font{"menu.txf"};

protected:
    // Measured in single precision, as the layout has always been.
    float line_width(const std::string& line) const;
};

// The dark band behind menu text: black at 0.7 times the menu's alpha between
// left and right, fading out over 0.1 on each side.
void draw_backing(double left, double right, double bottom, double top);
