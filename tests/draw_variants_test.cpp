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
    demoSeed(11);
    const ParticleSet& p = particleSets[0];
    for (int i = 0; i < kParticleCount; ++i) {
        EXPECT_NEAR(p.start[i].x * p.start[i].x + p.start[i].y * p.start[i].y, 100.0, 1e-9);
        EXPECT_EQ(p.start[i].z, 0.0);
        const int a = demoRand() % 360;
        EXPECT_EQ(p.start[i].x, 10 * std::cos(a * kDegree));
        const bool flipped = demoRand() % 2 == 0;
        if (p.start[i].y != 0) {
            EXPECT_EQ(p.start[i].y < 0, flipped);
        }
        for (double d : {p.drift[i].x, p.drift[i].y, p.drift[i].z}) EXPECT_EQ(d, demoRand() % 50 - 25);
        for (double s : {p.spin[i].x, p.spin[i].y, p.spin[i].z}) EXPECT_EQ(s, demoRand() % 2880 - 1440);
    }
}

TEST(ParticleSets, BandStartsBelowTheOriginAndRises) {
    demoSeed(12);
    buildParticleSet(1);
    demoSeed(12);
    const ParticleSet& p = particleSets[1];
    double minZ = 1e9, maxZ = -1e9;
    for (int i = 0; i < kParticleCount; ++i) {
        EXPECT_EQ(p.start[i].y, -1.0);
        EXPECT_GE(p.start[i].z, -50.0);
        EXPECT_LE(p.start[i].z, 9.0);
        minZ = std::min(minZ, p.start[i].z);
        maxZ = std::max(maxZ, p.start[i].z);
        EXPECT_EQ(p.start[i].x, 30 * std::sin((demoRand() % 360) * kDegree));
        EXPECT_EQ(p.start[i].z, demoRand() % 60 - 50);
        EXPECT_EQ(p.drift[i].x, demoRand() % 50 - 25);
        EXPECT_EQ(p.drift[i].y, demoRand() % 50);
        EXPECT_EQ(p.drift[i].z, demoRand() % 50 - 25);
        for (double s : {p.spin[i].x, p.spin[i].y, p.spin[i].z}) EXPECT_EQ(s, demoRand() % 1440 - 720);
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

namespace {

// One object with a single white material: quads from a list of corner positions, four per quad.
MqoModel quadModel(const std::vector<MqoVertex>& corners) {
    MqoObject object;
    const int32_t quads = static_cast<int32_t>(corners.size() / 4);
    object.setVertexCount(quads * 4);
    object.setFaceCount(quads);
    auto v = std::make_unique<MqoVertex[]>(quads * 4);
    auto f = std::make_unique<MqoFace[]>(quads);
    for (int32_t q = 0; q < quads; ++q) {
        f[q].vertexCount = 4;
        for (int k = 0; k < 4; ++k) {
            v[q * 4 + k] = corners[q * 4 + k];
            f[q].vertexIndex[k] = q * 4 + k;
        }
    }
    object.setVertices(std::move(v));
    object.setFaces(std::move(f));
    MqoModel model;
    model.objects.push_back(std::move(object));
    model.objectCount = 1;
    MqoMaterial white;
    for (float& c : white.col) c = 1.0f;
    white.dif = 1.0f;
    model.materials.push_back(white);
    model.materialCount = 1;
    return model;
}

// A flat ring of quads in the XY plane about (0, cy).
MqoModel ringModel(double cy, double inner, double outer) {
    std::vector<MqoVertex> corners;
    const int segments = 48;
    for (int i = 0; i < segments; ++i) {
        const double a0 = 2 * M_PI * i / segments, a1 = 2 * M_PI * (i + 1) / segments;
        corners.push_back({inner * std::cos(a0), cy + inner * std::sin(a0), 0});
        corners.push_back({outer * std::cos(a0), cy + outer * std::sin(a0), 0});
        corners.push_back({outer * std::cos(a1), cy + outer * std::sin(a1), 0});
        corners.push_back({inner * std::cos(a1), cy + inner * std::sin(a1), 0});
    }
    return quadModel(corners);
}

// The show's projection: 60 degrees, 800 by 600, near 1, far 10000.
void useShowProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 800.0 / 600.0, 1.0, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

std::vector<uint8_t> texels(const EffectTexture& texture) {
    std::vector<uint8_t> rgba(kCaptureSize * kCaptureSize * 4);
    glBindTexture(GL_TEXTURE_2D, texture.name);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    return rgba;
}

// Texels of a bottom-first RGBA picture whose red is at least `least`, in rows [rowFrom, rowTo).
int litCount(const std::vector<uint8_t>& rgba, int width, int rowFrom, int rowTo, int least = 1) {
    int n = 0;
    for (int y = rowFrom; y < rowTo; ++y)
        for (int x = 0; x < width; ++x) n += rgba[(size_t(y) * width + x) * 4] >= least;
    return n;
}

// With LUMIVANE_TEST_PICTURES set, writes a bottom-first RGBA picture there as a PNG to look at.
void savePicture(const char* name, const std::vector<uint8_t>& rgba, int width, int height) {
    const char* dir = std::getenv("LUMIVANE_TEST_PICTURES");
    if (!dir) return;
    std::vector<unsigned char> rgb(size_t(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                rgb[(size_t(height - 1 - y) * width + x) * 3 + c] = rgba[(size_t(y) * width + x) * 4 + c];
    const std::string path = std::string(dir) + "/" + name;
    EXPECT_TRUE(platform::writePng(path.c_str(), width, height, rgb.data()));
}

bool modelviewIsIdentity() {
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        if (m[i] != (i % 5 == 0 ? 1.0 : 0.0)) return false;
    return true;
}

class DrawVariantsGL : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        useShowProjection();
        if (demoAssets.ringsTexture.name == 0) createEffectTexture(demoAssets.ringsTexture);
    }
};

}  // namespace

TEST_F(DrawVariantsGL, LineRingsFillTheirTextureAndLeaveIdentityAndWidthOne) {
    demoAssets.filter = ringModel(12, 8, 10);
    glTranslated(5, 6, 7);
    drawLineRings(0.0);
    EXPECT_TRUE(modelviewIsIdentity());
    GLfloat width = 0;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);
    EXPECT_EQ(glErrors(), 0u);

    const auto rings = texels(demoAssets.ringsTexture);
    savePicture("rings_t0.png", rings, kCaptureSize, kCaptureSize);
    // All three copies stand above the middle: the wide pale one (0.2) under the two at 0.4.
    EXPECT_GT(litCount(rings, kCaptureSize, kCaptureSize / 2, kCaptureSize), 5000);
    EXPECT_EQ(litCount(rings, kCaptureSize, 0, kCaptureSize / 2 - 20), 0);
    int pale = 0, bright = 0;
    for (size_t i = 0; i < rings.size(); i += 4) {
        pale += std::abs(rings[i] - 51) <= 1;
        bright += std::abs(rings[i] - 102) <= 1;
    }
    EXPECT_GT(pale, 1000);
    EXPECT_GT(bright, 500);
}

TEST_F(DrawVariantsGL, LineRingCopiesTurnAboutXWithProgress) {
    demoAssets.filter = ringModel(12, 8, 10);
    drawLineRings(0.0);
    const auto rest = texels(demoAssets.ringsTexture);

    // At 0.2 the copies stand at 720, -720 and -1800 degrees: the rest picture again.
    drawLineRings(0.2);
    const auto again = texels(demoAssets.ringsTexture);
    int differing = 0;
    for (size_t i = 0; i < rest.size(); i += 4) differing += std::abs(rest[i] - again[i]) > 8;
    EXPECT_LT(differing, 200);

    // At 0.1 the third copy (0.4, width 5) is turned half round and stands below the middle.
    drawLineRings(0.1);
    const auto turned = texels(demoAssets.ringsTexture);
    savePicture("rings_t01.png", turned, kCaptureSize, kCaptureSize);
    EXPECT_GT(litCount(turned, kCaptureSize, 0, kCaptureSize / 2 - 20, 100), 300);
    EXPECT_GT(litCount(turned, kCaptureSize, kCaptureSize / 2, kCaptureSize, 50), 5000);
}

TEST_F(DrawVariantsGL, ParticleSwarmStartsOnTheCircleAndKeepsTheMatrix) {
    demoSeed(8);
    buildParticleSet(0);
    demoAssets.hane2 = quadModel({{-0.5, -0.5, 0}, {0.5, -0.5, 0}, {0.5, 0.5, 0}, {-0.5, 0.5, 0}});
    glTranslated(0, 0, -30);
    double before[16], after[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, before);
    drawParticleSwarm(0, 0.0);
    glGetDoublev(GL_MODELVIEW_MATRIX, after);
    EXPECT_EQ(std::memcmp(before, after, sizeof before), 0);
    EXPECT_EQ(glErrors(), 0u);

    const auto picture = frame();
    savePicture("swarm_t0.png", picture, 800, 600);
    // The circle of radius 10 at distance 30: about 260 pixels across, nothing in the middle.
    EXPECT_EQ(pixel(400, 300)[0], 0);
    EXPECT_GT(litCount(picture, 800, 0, 600), 2000);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawParticleSwarm(0, 1.0);
    savePicture("swarm_t1.png", frame(), 800, 600);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawParticleSwarm(5, 1.0);  // no such set: nothing drawn
    EXPECT_EQ(litCount(frame(), 800, 0, 600), 0);
}

TEST_F(DrawVariantsGL, CityFlybyShowsTheGroundAndKeepsTheMatrix) {
    std::vector<MqoVertex> corners;
    for (int i = -4; i < 4; ++i)  // a ground of 8 x 8 plots, each 100 units, with gaps between them
        for (int j = -4; j < 4; ++j) {
            const double x = i * 100.0 + 10, z = j * 100.0 + 10;
            corners.insert(corners.end(), {{x, 0, z}, {x, 0, z + 80}, {x + 80, 0, z + 80}, {x + 80, 0, z}});
        }
    demoAssets.city = quadModel(corners);
    drawCityFlyby(0.5);
    EXPECT_TRUE(modelviewIsIdentity());
    EXPECT_EQ(glErrors(), 0u);
    const auto picture = frame();
    savePicture("flyby_t05.png", picture, 800, 600);
    EXPECT_GT(litCount(picture, 800, 0, 300), 20000);  // the ground fills the lower half
    EXPECT_EQ(litCount(picture, 800, 500, 600), 0);    // and is not above the horizon
}
