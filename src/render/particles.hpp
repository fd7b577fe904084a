#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "storage/base_storable.hpp"

// A short-lived glowing point, in level units.
struct Particle {
    double x = 0;
    double y = 0;
    double vx = 0;
    double vy = 0;
    double life = 0;  // seconds left; removed once below 0
};

// How a list of particles moves and looks. The default rises and fades.
class BaseParticleStyle {
public:
    BaseParticleStyle();
    virtual ~BaseParticleStyle() = default;
    virtual void update_particles(std::vector<Particle>& particles, double& dt);
    virtual void draw_particles(const std::vector<Particle>& particles);

    std::uint32_t texture = 0;
};

// Particle lists by style id. The game uses one style, id 1. A level file holds
// an empty count for it; particles never outlive a level load.
class ParticleManager : public BaseStorable {
public:
    ParticleManager();
    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;

    void add_style(int id, const BaseParticleStyle& style);
    bool has_style(int id) const { return entries_.count(id) != 0; }
    // The list of a style that exists (see has_style).
    std::vector<Particle>& particles_of(int id);
    void update_all(double dt);
    void draw_all();

private:
    struct Entry {
        BaseParticleStyle style;
        std::vector<Particle> particles;
    };
    std::map<int, Entry> entries_;
};

// The screen-wide gradient behind everything. Its record is an empty count.
class Background : public BaseStorable {
public:
    void save(BaseStorage& storage) const override;
    bool load(BaseStorage& storage) override;
};

// Drawn first, before the view transform, so it stays fixed to the screen.
void draw_background();

constexpr int default_particle_style = 1;
