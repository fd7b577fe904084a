#pragma once

#include <cstdlib>

// Uniform in [0, 1]. Only animation, particles and editor jitter use it; the
// simulation never does, so replays stay deterministic.
inline double random_unit()
{
    return std::rand() / static_cast<double>(RAND_MAX);
}
