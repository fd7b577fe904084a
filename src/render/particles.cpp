#include "render/particles.hpp"

#include "geometry/view.hpp"
#include "render/gl.hpp"
#include "render/still_layer.hpp"
#include "render/texture_manager.hpp"
#include "storage/base_storage.hpp"
#include "storage/log.hpp"

namespace {

// Half the side of a spark's square, in world units.
constexpr double half_size = 0.15;

// The format has no particle styles or background layers yet: anything but an
// empty count is a damaged file.
bool read_empty_count(BaseStorage& storage, const char* what)
{
    unsigned int count = 0;
    if (!storage.read(count))
        return false;
    if (count != 0) {
        log_out() << "Stored " << what << " count " << count << " should be 0" << '\n';
        return false;
    }
    return true;
}

}  // namespace

BaseParticleStyle::BaseParticleStyle()
{
    double aspect = 0;
    texture = get_texture("textures/basic_particle.png", aspect, GL_CLAMP, GL_CLAMP);
}

void BaseParticleStyle::update_particles(std::vector<Particle>& particles, double& dt)
{
    std::size_t i = 0;
    while (i < particles.size()) {
        Particle& p = particles[i];
        p.x += p.vx * dt;
        p.y += p.vy * dt;
        p.vx += 0 * dt;
        p.vy += 1 * dt;
        p.life -= dt;
        if (p.life < 0)
            particles.erase(particles.begin() + static_cast<std::ptrdiff_t>(i));
        else
            ++i;
    }
}

void BaseParticleStyle::draw_particles(const std::vector<Particle>& particles)
{
    glColor3f(1, 1, 1);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    // Half a texture's coordinates (its picture) across a spark.
    bind_texture_at(texture, Sampling::soft, 0.5 / (2 * half_size), 0.5 / (2 * half_size));
    glEnable(GL_TEXTURE_2D);
    const double low = clamped_coordinate(0), high = clamped_coordinate(1);
    glBegin(GL_QUADS);
    for (const Particle& p : particles) {
        glColor4d(1, 1, 1, p.life > 1 ? 1.0 : p.life);
        glTexCoord2d(high, high);
        glVertex2d(p.x + half_size, p.y + half_size);
        glTexCoord2d(low, high);
        glVertex2d(p.x - half_size, p.y + half_size);
        glTexCoord2d(low, low);
        glVertex2d(p.x - half_size, p.y - half_size);
        glTexCoord2d(high, low);
        glVertex2d(p.x + half_size, p.y - half_size);
    }
    glEnd();
    glDisable(GL_TEXTURE_2D);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

ParticleManager::ParticleManager()
{
    add_style(default_particle_style, BaseParticleStyle());
}

void ParticleManager::save(BaseStorage& storage) const
{
    storage.write(0u);
}

bool ParticleManager::load(BaseStorage& storage)
{
    if (!read_empty_count(storage, "particle style"))
        return false;
    entries_.clear();
    add_style(default_particle_style, BaseParticleStyle());
    return true;
}

void ParticleManager::add_style(int id, const BaseParticleStyle& style)
{
    entries_.try_emplace(id, Entry{style, {}});
}

std::vector<Particle>& ParticleManager::particles_of(int id)
{
    return entries_.at(id).particles;
}

void ParticleManager::update_all(double dt)
{
    for (auto& [id, entry] : entries_)
        entry.style.update_particles(entry.particles, dt);
}

void ParticleManager::draw_all()
{
    for (auto& [id, entry] : entries_)
        entry.style.draw_particles(entry.particles);
}

void Background::save(BaseStorage& storage) const
{
    storage.write(0u);
}

bool Background::load(BaseStorage& storage)
{
    return read_empty_count(storage, "background layer");
}

void draw_background()
{
    // Kept: a full-screen blend of colours is among the dearest things a
    // renderer without a graphics card draws, and this one never changes.
    static StillLayer background_layer;
    const double w = view_half_width;
    LayerKey key;
    key.add(w);
    background_layer.draw(key, [w] {
        // Opaque: blending would only read back the pixels it covers anyway.
        glDisable(GL_BLEND);
        glBegin(GL_QUADS);
        glColor3d(0.05, 0.05, 0.1);
        glVertex2d(-w, -1);
        glVertex2d(w, -1);
        glColor3d(0.2, 0.2, 0.2);
        glVertex2d(w, 1);
        glVertex2d(-w, 1);
        glEnd();
        glEnable(GL_BLEND);
    });
}
