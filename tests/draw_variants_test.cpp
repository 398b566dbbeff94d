// Particle tables, the fly-by camera and the line rings captured into their texture.
#include <gtest/gtest.h>

#include <GL/gl.h>
#include <GL/glu.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "app/demo_random.h"
#include "demo/demo_assets.h"
#include "gl_fixture.h"
#include "platform/png_image.h"
#include "render/draw_variants.h"

namespace {

constexpr double kDegree = 0.01745328888888889;

}  // namespace

TEST(ParticleSets, EachSetDrawsEightNumbersPerParticle) {
    demoSeed(2024);
    uint64_t before = demoRandCount();
    buildParticleSet(0);
    EXPECT_EQ(demoRandCount() - before, uint64_t(8 * kParticleCount));
    before = demoRandCount();
    buildParticleSet(1);
    EXPECT_EQ(demoRandCount() - before, uint64_t(8 * kParticleCount));
}

TEST(ParticleSets, OtherSetNumbersChangeNothingAndDrawNothing) {
    demoSeed(3);
    buildParticleSet(0);
    buildParticleSet(1);
    std::vector<unsigned char> copy(sizeof particleSets);
    std::memcpy(copy.data(), particleSets, sizeof particleSets);
    const uint64_t before = demoRandCount();
    buildParticleSet(2);
    buildParticleSet(-1);
    EXPECT_EQ(demoRandCount(), before);
    EXPECT_EQ(std::memcmp(copy.data(), particleSets, sizeof particleSets), 0);
    EXPECT_EQ(particlePosition(2, 0, 1.0).x, 0.0);
    EXPECT_EQ(particlePosition(0, kParticleCount, 1.0).x, 0.0);
}

TEST(ParticleSets, RingStartsOnTheCircleWithDrawsInOrder) {
    demoSeed(11);
    buildParticleSet(0);
    std::srand(11);
    const ParticleSet& p = particleSets[0];
    for (int i = 0; i < kParticleCount; ++i) {
        EXPECT_NEAR(p.start[i].x * p.start[i].x + p.start[i].y * p.start[i].y, 100.0, 1e-9);
        EXPECT_EQ(p.start[i].z, 0.0);
        const int a = std::rand() % 360;
        EXPECT_EQ(p.start[i].x, 10 * std::cos(a * kDegree));
        const bool flipped = std::rand() % 2 == 0;
        if (p.start[i].y != 0) {
            EXPECT_EQ(p.start[i].y < 0, flipped);
        }
        for (double d : {p.drift[i].x, p.drift[i].y, p.drift[i].z}) EXPECT_EQ(d, std::rand() % 50 - 25);
        for (double s : {p.spin[i].x, p.spin[i].y, p.spin[i].z}) EXPECT_EQ(s, std::rand() % 2880 - 1440);
    }
}

TEST(ParticleSets, BandStartsBelowTheOriginAndRises) {
    demoSeed(12);
    buildParticleSet(1);
    std::srand(12);
    const ParticleSet& p = particleSets[1];
    double minZ = 1e9, maxZ = -1e9;
    for (int i = 0; i < kParticleCount; ++i) {
        EXPECT_EQ(p.start[i].y, -1.0);
        EXPECT_GE(p.start[i].z, -50.0);
        EXPECT_LE(p.start[i].z, 9.0);
        minZ = std::min(minZ, p.start[i].z);
        maxZ = std::max(maxZ, p.start[i].z);
        EXPECT_EQ(p.start[i].x, 30 * std::sin((std::rand() % 360) * kDegree));
        EXPECT_EQ(p.start[i].z, std::rand() % 60 - 50);
        EXPECT_EQ(p.drift[i].x, std::rand() % 50 - 25);
        EXPECT_EQ(p.drift[i].y, std::rand() % 50);
        EXPECT_EQ(p.drift[i].z, std::rand() % 50 - 25);
        for (double s : {p.spin[i].x, p.spin[i].y, p.spin[i].z}) EXPECT_EQ(s, std::rand() % 1440 - 720);
    }
    EXPECT_LT(minZ, -40.0);
    EXPECT_GT(maxZ, 0.0);
}

TEST(ParticleSets, ParticlesTravelWithTheSquareRootOfProgress) {
    demoSeed(1);
    buildParticleSet(0);
    ParticleSet& p = particleSets[0];
    p.start[7] = {10, 0, 0};
    p.drift[7] = {2, -4, 6};
    const Vec3d at = particlePosition(0, 7, 0.25);
    EXPECT_DOUBLE_EQ(at.x, 11.0);
    EXPECT_DOUBLE_EQ(at.y, -2.0);
    EXPECT_DOUBLE_EQ(at.z, 3.0);
    const Vec3d still = particlePosition(0, 7, 0.0);
    EXPECT_EQ(still.x, 10.0);
    EXPECT_EQ(still.y, 0.0);
    const Vec3d before = particlePosition(0, 7, -0.5);  // no square root below 0: stays at start
    EXPECT_EQ(before.x, 10.0);
}

TEST(CityFlyby, CameraPath) {
    const CameraPose start = cityFlybyCamera(0.0);
    EXPECT_DOUBLE_EQ(start.eye.x, 550.0);
    EXPECT_DOUBLE_EQ(start.eye.y, 300.0);
    EXPECT_DOUBLE_EQ(start.eye.z, 200.0);
    EXPECT_DOUBLE_EQ(start.centre.x, 250.0);
    EXPECT_DOUBLE_EQ(start.centre.y, 600.0);
    EXPECT_DOUBLE_EQ(start.centre.z, 200.0);

    // Halfway the eye has swung round a quarter circle; at the top of its climb at t = 1/3.
    const CameraPose half = cityFlybyCamera(0.5);
    EXPECT_NEAR(half.eye.x, 250.0, 1e-3);
    EXPECT_NEAR(half.eye.z, 500.0, 1e-3);
    EXPECT_NEAR(cityFlybyCamera(1.0 / 3).eye.y, 700.0, 1e-3);

    const CameraPose end = cityFlybyCamera(1.0);
    EXPECT_NEAR(end.eye.x, 550.0, 1e-3);
    EXPECT_NEAR(end.eye.y, -100.0, 1e-3);
    EXPECT_NEAR(end.centre.x, -250.0, 1e-3);
    EXPECT_NEAR(end.centre.y, 0.0, 1e-3);
    EXPECT_NEAR(end.centre.z, -200.0, 1e-3);
}
