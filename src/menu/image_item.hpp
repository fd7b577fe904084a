#pragma once

#include <cstdint>
#include <string>

#include "menu/base_menu_item.hpp"

// A textured rectangle that pulses gently while selected.
class ImageItem : public BaseMenuItem {
public:
    // A negative height follows from the width and the picture's aspect, then
    // a negative width from the height.
    ImageItem(const std::string& texture_path, Vector2 position, double width, double height, bool backing);

    bool contains(const Vector2& p) override;
    void update(double& dt, bool& selected) override;
    void draw() override;

    Vector2 position;
    double width;
    double height;
    double selected_alpha = 1.0;
    double idle_alpha = 0.7;
    double phase;
    double hover = 0;
    bool backing;
    std::uint32_t texture;
};

// Binds `texture` and draws it over the rectangle with its top row at `top`;
// `mirrored` runs it right to left. The colour is the caller's.
void draw_texture_quad(std::uint32_t texture, double left, double right, double bottom, double top,
                       bool mirrored = false);

// The menu pictures are icons: no repeats at their edges.
std::uint32_t get_menu_texture(const std::string& path, double& aspect);
