#include "render/art/noise.hpp"

#include <cmath>

Rng::Rng(std::uint64_t seed) : state_(seed * 6364136223846793005ull + 1442695040888963407ull) {}

std::uint32_t Rng::next()
{
    const std::uint64_t old = state_;
    state_ = old * 6364136223846793005ull + 1442695040888963407ull;
    const auto xorshifted = static_cast<std::uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<std::uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

float Rng::uniform()
{
    return static_cast<float>(next() >> 8) * (1.0f / 16777216.0f);
}

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x9E3779B9u ^ static_cast<std::uint32_t>(x) * 0x85EBCA6Bu ^
                      static_cast<std::uint32_t>(y) * 0xC2B2AE35u;
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

float hash_unit(std::int32_t x, std::int32_t y, std::uint32_t seed)
{
    return static_cast<float>(hash3(x, y, seed) >> 8) * (1.0f / 16777216.0f);
}

namespace {

int wrap(int i, int period)
{
    const int m = i % period;
    return m < 0 ? m + period : m;
}

float quintic(float t)
{
    return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f);
}

}  // namespace

float value_noise(float x, float y, int px, int py, std::uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    const float tx = quintic(x - fx), ty = quintic(y - fy);
    const int x0 = wrap(ix, px), x1 = wrap(ix + 1, px), y0 = wrap(iy, py), y1 = wrap(iy + 1, py);
    const float a = hash_unit(x0, y0, seed), b = hash_unit(x1, y0, seed);
    const float c = hash_unit(x0, y1, seed), d = hash_unit(x1, y1, seed);
    const float top = a + (b - a) * tx, bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fbm(float x, float y, int px, int py, std::uint32_t seed, int octaves, float gain)
{
    float sum = 0, norm = 0, amplitude = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * value_noise(x, y, px, py, seed + 1013u * static_cast<std::uint32_t>(o));
        norm += amplitude;
        amplitude *= gain;
        x *= 2;
        y *= 2;
        px *= 2;
        py *= 2;
    }
    return sum / norm;
}

CellSample cells(float x, float y, int px, int py, std::uint32_t seed, float jitter)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = static_cast<int>(fx), iy = static_cast<int>(fy);
    CellSample best{1e9f, 1e9f, 0, 0, 0};
    for (int j = -1; j <= 1; ++j) {
        for (int i = -1; i <= 1; ++i) {
            const int cx = wrap(ix + i, px), cy = wrap(iy + j, py);
            const float ox = 0.5f + jitter * (hash_unit(cx, cy, seed) - 0.5f);
            const float oy = 0.5f + jitter * (hash_unit(cx, cy, seed + 7919u) - 0.5f);
            const float dx = fx + static_cast<float>(i) + ox - x, dy = fy + static_cast<float>(j) + oy - y;
            const float d = std::sqrt(dx * dx + dy * dy);
            if (d < best.f1)
                best = CellSample{d, best.f1, hash3(cx, cy, seed + 31u), dx, dy};
            else if (d < best.f2)
                best.f2 = d;
        }
    }
    return best;
}
