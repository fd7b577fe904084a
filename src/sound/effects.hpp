#pragma once

#include <string>

// The game's sound effects, one file each under "sounds/".
enum class Effect {
    swing,
    enter_wood, enter_stone, enter_ice, enter_metal, enter_glass, enter_default,
    leave_wood, leave_stone, leave_ice, leave_metal, leave_glass, leave_default,
    split,
    knock,
    goal,
    losing_goal,
    win,
    lose,
    time_out,
    countdown,
    menu_move,
    menu_activate,
    count
};

constexpr int effect_count = static_cast<int>(Effect::count);

// The file name without its folder and ".snd": "enter_wood".
const char* effect_name(Effect effect);
std::string effect_path(Effect effect);

// What a blade bites into: each material has its own sound.
enum class Material { wood, stone, ice, metal, glass, other };

// The material a polygon style sounds like; unknown styles sound plain.
Material material_of_style(const std::string& style);
Effect entering(Material material);
Effect leaving(Material material);
