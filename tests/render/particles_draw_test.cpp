#include <gtest/gtest.h>

#include <filesystem>

#include "render/gl.hpp"
#include "render/particles.hpp"
#include "render/png.hpp"
#include "support/gl_fixture.hpp"
#include "support/log_capture.hpp"
#include "support/test_support.hpp"

namespace {

// Runs a test inside a folder holding a plain white particle picture.
class ParticleDraw : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        std::filesystem::create_directories(dir.file("textures"));
        ASSERT_TRUE(save_png(dir.file("textures/basic_particle.png"), 8, 8, std::vector<std::uint8_t>(8 * 8 * 4, 255)));
    }

    TempDir dir;
    ScopedCwd in_dir{dir.path()};
};

}  // namespace

TEST_F(ParticleDraw, ParticlesFadeOverTheirLastSecondAndAddUp)
{
    LogCapture log;
    ParticleManager manager;
    std::vector<Particle>& list = manager.particles_of(default_particle_style);
    list.push_back(Particle{-0.5, 0, 0, 0, 3});
    list.push_back(Particle{0.5, 0, 0, 0, 0.25});
    list.push_back(Particle{0, 0.5, 0, 0, 1});
    list.push_back(Particle{0.1, 0.5, 0, 0, 1});
    manager.draw_all();
    EXPECT_EQ(red_of(pixel_at_units(-0.5, 0)), 255);
    EXPECT_NEAR(red_of(pixel_at_units(0.5, 0)), 64, 2) << "a quarter of full intensity";
    EXPECT_EQ(red_of(pixel_at_units(-0.5, 0.2)), 0) << "a square of half-size 0.15";
    EXPECT_NEAR(red_of(pixel_at_units(0.05, 0.5)), 255, 1) << "overlapping particles add up";

    // The blend function comes back as the rest of the game expects it.
    GLint dst = 0;
    glGetIntegerv(GL_BLEND_DST, &dst);
    EXPECT_EQ(dst, GL_ONE_MINUS_SRC_ALPHA);
}

TEST_F(GlTest, BackgroundIsAVerticalGradient)
{
    draw_background();
    EXPECT_NEAR(blue_of(pixel(500, 0)), 26, 1);
    EXPECT_NEAR(blue_of(pixel(500, 767)), 51, 1);
    EXPECT_EQ(pixel(0, 384), pixel(1022, 384)) << "covers the whole width evenly";
}
