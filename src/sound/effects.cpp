#include "sound/effects.hpp"

namespace {

const char* const names[effect_count] = {
    "swing",
    "enter_wood", "enter_stone", "enter_ice", "enter_metal", "enter_glass", "enter_default",
    "leave_wood", "leave_stone", "leave_ice", "leave_metal", "leave_glass", "leave_default",
    "split", "knock", "goal", "losing_goal", "win", "lose", "time_out", "countdown", "menu_move", "menu_activate",
};

}  // namespace

const char* effect_name(Effect effect)
{
    return names[static_cast<int>(effect)];
}

std::string effect_path(Effect effect)
{
    return std::string("sounds/") + effect_name(effect) + ".snd";
}

Material material_of_style(const std::string& style)
{
    if (style == "wood")
        return Material::wood;
    if (style == "stone")
        return Material::stone;
    if (style == "ice")
        return Material::ice;
    if (style == "metal")
        return Material::metal;
    if (style == "glass")
        return Material::glass;
    return Material::other;
}

Effect entering(Material material)
{
    return static_cast<Effect>(static_cast<int>(Effect::enter_wood) + static_cast<int>(material));
}

Effect leaving(Material material)
{
    return static_cast<Effect>(static_cast<int>(Effect::leave_wood) + static_cast<int>(material));
}
