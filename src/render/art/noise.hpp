#pragma once

#include <cstdint>

// Seeded, tileable noise for the generated pictures. Everything here is a pure
// function of its inputs, so the pictures come out byte for byte the same on
// every run. Coordinates are in lattice cells; a pattern with period (px, py)
// repeats every px cells in x and py cells in y, which is what makes the
// material pictures wrap without seams.

// A small PCG32 generator for sequential choices (rivet jitter, glints).
class Rng {
public:
    explicit Rng(std::uint64_t seed);
    std::uint32_t next();
    // Uniform in [0, 1).
    float uniform();
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

private:
    std::uint64_t state_;
};

// Well-mixed 32-bit hash of a lattice point; the basis of all noise here.
std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed);
// hash3 mapped to [0, 1).
float hash_unit(std::int32_t x, std::int32_t y, std::uint32_t seed);

// Smooth value noise in [0, 1], periodic with (px, py) cells.
float value_noise(float x, float y, int px, int py, std::uint32_t seed);

// Fractal sum of value noise, normalised to about [0, 1]. Each octave doubles
// the frequency and the period, so the sum keeps the base period.
float fbm(float x, float y, int px, int py, std::uint32_t seed, int octaves, float gain = 0.5f);

// Nearest and second-nearest distances to jittered feature points (one per
// cell), periodic with (px, py) cells; id identifies the nearest cell, and
// (dx, dy) points from the sample to that feature.
struct CellSample {
    float f1;
    float f2;
    std::uint32_t id;
    float dx;
    float dy;
};
CellSample cells(float x, float y, int px, int py, std::uint32_t seed, float jitter = 0.85f);
