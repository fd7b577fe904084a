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

TEST(Particles, MoveRiseAgeAndExpire)
{
    BaseParticleStyle style;
    std::vector<Particle> one{Particle{1, 2, 3, -4, 5}};
    double dt = 0.5;
    style.update_particles(one, dt);
    ASSERT_EQ(one.size(), 1u);
    EXPECT_TRUE(one[0].x == 2.5 && one[0].y == 0 && one[0].life == 4.5);
    EXPECT_DOUBLE_EQ(one[0].vy, -3.5) << "a constant pull upwards of 1 unit/s²";

    std::vector<Particle> list{particle(0, 0.01), particle(1, 1), particle(2, 0.005), particle(3, 0.015),
                               particle(4, 0.02)};
    dt = 0.02;
    style.update_particles(list, dt);
    ASSERT_EQ(list.size(), 2u) << "the rest keep their order";
    EXPECT_EQ(list[0].y, 1);
    EXPECT_DOUBLE_EQ(list[0].x, 0.02) << "moved once before it could go";
    EXPECT_EQ(list[1].y, 4) << "life exactly 0 after the update survives the frame";

}

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
