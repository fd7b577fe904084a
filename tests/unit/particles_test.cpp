#include <gtest/gtest.h>

#include "render/particles.hpp"
#include "storage/memory_storage.hpp"
#include "support/log_capture.hpp"

namespace {

Particle particle(double y, double life)
{
    return Particle{0, y, 1, 0, life};
}

}  // namespace

TEST(ParticleRecords, OnlyEmptyCountsAreStoredAndLoaded)
{
    ParticleManager manager;
    Background background;
    manager.particles_of(default_particle_style).push_back(particle(0, 3));
    MemoryStorage storage;
    manager.save(storage);
    background.save(storage);
    EXPECT_EQ(storage.bytes(), (std::vector<unsigned char>{0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(manager.load(storage));
    EXPECT_TRUE(background.load(storage));
    EXPECT_TRUE(manager.particles_of(default_particle_style).empty()) << "loading empties the list";

    LogCapture log;
    for (const unsigned int count : {1u, 0xFFFFFFFFu}) {
        MemoryStorage damaged;
        damaged.write(count), damaged.write(count);
        EXPECT_FALSE(manager.load(damaged));
        EXPECT_FALSE(background.load(damaged));
    }
}
