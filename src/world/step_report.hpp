#pragma once

#include <vector>

#include "sound/effects.hpp"
#include "world/world_hooks.hpp"

// The last seconds of a countdown tick.
constexpr double countdown_ticks_from = 5;

// What happened in one World step, for the ear: the step fills it as it goes
// and reads nothing back, so a replay reports exactly what the game did.
struct StepReport {
    struct Crossing {
        Material material = Material::other;
        bool entering = false;
        double speed = 0;  // the sword's, before the crossing
    };
    // The sword went into or out of material, or bounced off it (too slow or
    // blunt to cut in).
    std::vector<Crossing> crossings;
    std::vector<Crossing> bounces;
    int splits = 0;
    // The fastest any body ran into a wall, along the wall's normal.
    double knock_speed = 0;
    // Goals that took an item, and losing goals that took or were touched.
    int goal_takes = 0;
    int losing_touches = 0;
    // Set only in the step that reached it.
    Outcome outcome = Outcome::none;
    // A countdown passed one of its last whole seconds.
    bool countdown_tick = false;
    double sword_speed = 0;
    // The blade was stopped by material in the last step: a blade held
    // against a body to push it is heard when it meets it, not every step.
    bool pressing = false;

    void clear()
    {
        crossings.clear();
        bounces.clear();
        splits = 0;
        knock_speed = 0;
        goal_takes = 0;
        losing_touches = 0;
        outcome = Outcome::none;
        countdown_tick = false;
        sword_speed = 0;
    }
};
