// Face explosion: preparation (draw order, centres, targets, unsharing, rest copies) and the
// placement of the faces for a progress value.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>

#include "alloc_counter.h"
#include "app/demo_random.h"
#include "gl_fixture.h"
#include "platform/png_image.h"
#include "render/face_explosion.h"
#include "render/model_renderer.h"

namespace {

constexpr double kDegree = 0.01745328888888889;

MqoObject makeObject(const std::vector<MqoVertex>& vertices,
                     const std::vector<std::vector<int>>& faces) {
    MqoObject object;
    object.setVertexCount(static_cast<int32_t>(vertices.size()));
    auto v = std::make_unique<MqoVertex[]>(vertices.size());
    for (size_t i = 0; i < vertices.size(); ++i) v[i] = vertices[i];
    object.setVertices(std::move(v));
    object.setFaceCount(static_cast<int32_t>(faces.size()));
    auto f = std::make_unique<MqoFace[]>(faces.size());
    for (size_t j = 0; j < faces.size(); ++j) {
        f[j].vertexCount = static_cast<int32_t>(faces[j].size());
        for (int k = 0; k < 4; ++k) f[j].vertexIndex[k] = faces[j][std::min<size_t>(k, faces[j].size() - 1)];
    }
    object.setFaces(std::move(f));
    return object;
}

void addObject(ExplodableModel& model, MqoObject object) {
    model.objects.push_back(std::move(object));
    model.objectCount = static_cast<int32_t>(model.objects.size());
}

// A 6 x 3 grid of shared vertices: 5 quads along the top row, 10 triangles below.
ExplodableModel gridModel() {
    std::vector<MqoVertex> v;
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 6; ++col) v.push_back({double(col), double(row), 0.5 * col});
    std::vector<std::vector<int>> faces;
    for (int col = 0; col < 5; ++col) faces.push_back({12 + col, 13 + col, 7 + col, 6 + col});
    for (int col = 0; col < 5; ++col) {
        faces.push_back({col, col + 1, col + 7});
        faces.push_back({col, col + 7, col + 6});
    }
    ExplodableModel model;
    addObject(model, makeObject(v, faces));
    return model;
}

// One face whose centre, target and angles the test sets by hand after preparation; the rest
// copy's first corner carries the offset under test.
struct OneFace {
    ExplodableModel model;
    explicit OneFace(Vec3d offset, Vec3d angles, Vec3d centre = {}, Vec3d target = {}) {
        addObject(model, makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}}));
        prepareExplosion(model, 30.0);
        model.faceCentres[0][0] = centre;
        model.faceTargets[0][0] = target;
        model.faceAngles[0][0] = angles;
        model.restObjects[0].vertices[0] = {centre.x + offset.x, centre.y + offset.y, centre.z + offset.z};
    }
    MqoVertex placed(double progress) {
        placeExplodedFaces(model, progress);
        return model.objects[0].vertices[0];
    }
};

void expectNear(const MqoVertex& v, double x, double y, double z, double tolerance = 1e-5) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

}  // namespace

TEST(ExplosionPreparation, CentresAreTheMeansOfTheCorners) {
    ExplodableModel model;
    addObject(model, makeObject({{0, 0, 0}, {3, 0, 0}, {0, 3, 0}, {0, 0, 0}, {2, 0, 0}, {2, 2, 0}, {0, 2, 0}},
                                {{0, 1, 2}, {3, 4, 5, 6}}));
    prepareExplosion(model, 30.0);
    ASSERT_EQ(model.faceCentres.size(), 1u);
    ASSERT_EQ(model.faceCentres[0].size(), 2u);
    for (const Vec3d& c : model.faceCentres[0]) {
        EXPECT_DOUBLE_EQ(c.x, 1.0);
        EXPECT_DOUBLE_EQ(c.y, 1.0);
        EXPECT_DOUBLE_EQ(c.z, 0.0);
    }
}

TEST(ExplosionPreparation, EveryFaceGetsVerticesOfItsOwnInCornerOrder) {
    ExplodableModel model = gridModel();
    const MqoObject before(model.objects[0]);
    prepareExplosion(model, 30.0);

    const MqoObject& object = model.objects[0];
    ASSERT_EQ(object.vertexCount, 50);  // 10 triangles and 5 quadrilaterals
    int32_t next = 0;
    for (int j = 0; j < object.faceCount; ++j) {
        const MqoFace& face = object.faces[j];
        const MqoFace& old = before.faces[j];
        for (int k = 0; k < face.vertexCount; ++k) {
            EXPECT_EQ(face.vertexIndex[k], next + k) << "face " << j;
            const MqoVertex& now = object.vertices[face.vertexIndex[k]];
            const MqoVertex& was = before.vertices[old.vertexIndex[k]];
            EXPECT_EQ(now.x, was.x);
            EXPECT_EQ(now.y, was.y);
            EXPECT_EQ(now.z, was.z);
        }
        if (face.vertexCount == 3) {
            EXPECT_EQ(face.vertexIndex[3], old.vertexIndex[3]);
        }
        next += face.vertexCount;
    }

    // The rest copy is a separate deep copy of the unshared object.
    ASSERT_EQ(model.restObjects.size(), 1u);
    const MqoObject& rest = model.restObjects[0];
    ASSERT_EQ(rest.vertexCount, 50);
    EXPECT_NE(rest.vertices.get(), object.vertices.get());
    EXPECT_NE(rest.faces.get(), object.faces.get());
    object.vertices[0].x = 99;
    EXPECT_NE(rest.vertices[0].x, 99);
}

TEST(ExplosionPreparation, DrawsAnglesForAllFacesThenTargetsInOrder) {
    ExplodableModel model = gridModel();
    addObject(model, makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}}, {{0, 1, 3, 2}, {0, 1, 2}}));
    const int faces = 15 + 2;

    demoSeed(4321);
    const uint64_t before = demoRandCount();
    prepareExplosion(model, 30.0);
    EXPECT_EQ(demoRandCount() - before, uint64_t(6 * faces));

    // Replay the same sequence: 3 angle draws per face over every object, then a, b, s per face.
    demoSeed(4321);
    for (const auto& angles : model.faceAngles)
        for (const Vec3d& a : angles) {
            EXPECT_EQ(a.x, demoRand() % 720);
            EXPECT_EQ(a.y, demoRand() % 720);
            EXPECT_EQ(a.z, demoRand() % 720);
        }
    int checked = 0;
    for (const auto& targets : model.faceTargets)
        for (const Vec3d& t : targets) {
            const double x = 30.0 * std::cos((demoRand() % 360) * kDegree);
            const double y = 30.0 * std::sin((demoRand() % 360) * kDegree);
            const int s = demoRand() % 2;
            const double radicand = 900.0 - x * x - y * y;
            if (radicand < 0) continue;
            EXPECT_EQ(t.x, x);
            EXPECT_EQ(t.y, y);
            EXPECT_EQ(t.z, s == 1 ? -std::sqrt(radicand) : std::sqrt(radicand));
            ++checked;
        }
    EXPECT_GT(checked, 0);
}

TEST(ExplosionPreparation, EveryTargetIsFiniteAndOnTheSphere) {
    std::vector<MqoVertex> v = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    std::vector<std::vector<int>> faces(3000, {0, 1, 2});
    ExplodableModel model;
    addObject(model, makeObject(v, faces));
    demoSeed(7);
    prepareExplosion(model, 30.0);

    // Where x² + y² > r² the target keeps the drawn side of the XY plane and is not crowded
    // onto its rim.
    demoSeed(7);
    for (int i = 0; i < 3 * 3000; ++i) demoRand();
    int outside = 0, nearRim = 0;
    for (const Vec3d& t : model.faceTargets[0]) {
        ASSERT_TRUE(std::isfinite(t.x) && std::isfinite(t.y) && std::isfinite(t.z));
        EXPECT_NEAR(std::sqrt(t.x * t.x + t.y * t.y + t.z * t.z), 30.0, 1e-9);
        const double x = 30.0 * std::cos((demoRand() % 360) * kDegree);
        const double y = 30.0 * std::sin((demoRand() % 360) * kDegree);
        const int s = demoRand() % 2;
        if (x * x + y * y <= 900.0) continue;
        ++outside;
        nearRim += std::fabs(t.z) < 1.0;
        EXPECT_EQ(t.z < 0, s == 1);
        EXPECT_GT(x * t.x, 0.0);  // same quadrant as drawn
        EXPECT_GT(y * t.y, 0.0);
    }
    EXPECT_GT(outside, 1000);  // about half of the faces
    EXPECT_LT(nearRim, outside / 10);
}

TEST(ExplosionPreparation, DamagedFaceRecordsStayInBounds) {
    ExplodableModel model;
    MqoObject object = makeObject({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}, {{0, 1, 2}, {0, 1, 2}});
    object.faces[1].vertexCount = 5;
    object.faces[1].vertexIndex[2] = 77;  // outside the object
    addObject(model, std::move(object));
    prepareExplosion(model, 30.0);
    EXPECT_EQ(model.objects[0].vertexCount, 6);  // the damaged face keeps three corners
    placeExplodedFaces(model, 0.5);
    for (int n = 0; n < model.objects[0].vertexCount; ++n)
        EXPECT_TRUE(std::isfinite(model.objects[0].vertices[n].x));
}

TEST(ExplosionPlacement, QuarterTurnsAboutEachAxis) {
    expectNear(OneFace({0, 1, 0}, {90, 0, 0}).placed(1.0), 0, 0, 1);
    expectNear(OneFace({1, 0, 0}, {0, 90, 0}).placed(1.0), 0, 0, 1);
    expectNear(OneFace({1, 0, 0}, {0, 0, 90}).placed(1.0), 0, 1, 0);
}

TEST(ExplosionPlacement, TurnsAboutYThenXThenZ) {
    // (1, 0, 0): Y by 90 gives (0, 0, 1), X by 90 gives (0, -1, 0), Z by 90 gives (1, 0, 0).
    expectNear(OneFace({1, 0, 0}, {90, 90, 90}).placed(1.0), 1, 0, 0);
}

TEST(ExplosionPlacement, FullTurnIsHalfATurnHalfway) {
    OneFace face({0, 1, 0}, {360, 0, 0});
    expectNear(face.placed(1.0), 0, 1, 0);
    expectNear(face.placed(0.5), 0, -1, 0);
}

TEST(ExplosionPlacement, UnturnedFaceTravelsAlongTheLineAndBeyond) {
    OneFace face({2, 0, 0}, {0, 0, 0}, {1, 2, 3}, {21, -18, 43});
    expectNear(face.placed(0.5), 11 + 2, -8, 23, 1e-12);
    expectNear(face.placed(1.0), 21 + 2, -18, 43, 1e-12);
    expectNear(face.placed(1.5), 31 + 2, -28, 63, 1e-12);
}

TEST(ExplosionPlacement, ProgressZeroRestoresTheRestShape) {
    ExplodableModel model = gridModel();
    demoSeed(99);
    prepareExplosion(model, 30.0);
    placeExplodedFaces(model, 0.73);
    const MqoObject& live = model.objects[0];
    const MqoObject& rest = model.restObjects[0];
    EXPECT_GT(std::fabs(live.vertices[0].x - rest.vertices[0].x) +
                  std::fabs(live.vertices[0].z - rest.vertices[0].z), 1.0);
    placeExplodedFaces(model, 0.0);
    for (int n = 0; n < live.vertexCount; ++n)
        expectNear(live.vertices[n], rest.vertices[n].x, rest.vertices[n].y, rest.vertices[n].z, 1e-12);
}

TEST(ExplosionPlacement, FaceMovesAsARigidPiece) {
    ExplodableModel model = gridModel();
    demoSeed(5);
    prepareExplosion(model, 30.0);
    placeExplodedFaces(model, 0.6);
    const MqoObject& live = model.objects[0];
    const MqoObject& rest = model.restObjects[0];
    auto distance = [](const MqoVertex& a, const MqoVertex& b) {
        return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
    };
    for (int j = 0; j < live.faceCount; ++j) {
        const MqoFace& f = live.faces[j];
        for (int k = 1; k < f.vertexCount; ++k)
            EXPECT_NEAR(distance(live.vertices[f.vertexIndex[0]], live.vertices[f.vertexIndex[k]]),
                        distance(rest.vertices[f.vertexIndex[0]], rest.vertices[f.vertexIndex[k]]), 1e-9);
    }
}

TEST(ExplosionPlacement, AllocatesNothing) {
    ExplodableModel model = gridModel();
    prepareExplosion(model, 30.0);
    const uint64_t before = allocationCount();
    for (int frame = 0; frame < 10; ++frame) placeExplodedFaces(model, frame * 0.1);
    EXPECT_EQ(allocationCount(), before);
}

TEST(ExplosionPlacement, UnpreparedModelIsLeftAlone) {
    ExplodableModel model = gridModel();
    placeExplodedFaces(model, 1.0);
    EXPECT_EQ(model.objects[0].vertexCount, 18);
    EXPECT_EQ(model.objects[0].vertices[7].x, 1.0);
}

namespace {

// A 20 x 20 sheet of unit quads in the XY plane, sharing vertices, in one white material.
ExplodableModel sheetModel() {
    std::vector<MqoVertex> v;
    for (int row = 0; row <= 20; ++row)
        for (int col = 0; col <= 20; ++col) v.push_back({col - 10.0, row - 10.0, 0});
    std::vector<std::vector<int>> faces;
    for (int row = 0; row < 20; ++row)
        for (int col = 0; col < 20; ++col) {
            const int a = row * 21 + col;
            faces.push_back({a, a + 1, a + 22, a + 21});
        }
    ExplodableModel model;
    addObject(model, makeObject(v, faces));
    MqoMaterial white;
    for (float& c : white.col) c = 1.0f;
    model.materials.push_back(white);
    model.materialCount = 1;
    return model;
}

void lookAtSheet() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, 800.0 / 600.0, 1.0, 10000.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslated(0, 0, -80);
}

int litPixels(const std::vector<uint8_t>& rgba) {
    int n = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) n += rgba[i] > 0;
    return n;
}

// With LUMIVANE_TEST_PICTURES set, writes the frame there as a PNG to look at.
void saveFrame(const char* name, const std::vector<uint8_t>& rgba) {
    const char* dir = std::getenv("LUMIVANE_TEST_PICTURES");
    if (!dir) return;
    std::vector<unsigned char> rgb(800 * 600 * 3);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            for (int c = 0; c < 3; ++c) rgb[((599 - y) * 800 + x) * 3 + c] = rgba[(y * 800 + x) * 4 + c];
    EXPECT_TRUE(platform::writePng((std::string(dir) + "/" + name).c_str(), 800, 600, rgb.data()));
}

}  // namespace

TEST_F(GLTest, ExplodedDrawAtProgressZeroIsTheRestShape) {
    ExplodableModel model = sheetModel();
    lookAtSheet();
    drawModel(model, true, true, false);
    const auto whole = frame();

    demoSeed(17);
    prepareExplosion(model, 30.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawModelExploded(model, 0.0);
    const auto rest = frame();
    EXPECT_EQ(glErrors(), 0u);
    saveFrame("explosion_p0.png", rest);
    int differing = 0;
    for (size_t i = 0; i < whole.size(); i += 4) differing += whole[i] != rest[i];
    EXPECT_LT(differing, 100);
    EXPECT_GT(litPixels(rest), 15000);  // 20 units at distance 80: about 130 pixels square

    // Apart, the pieces scatter round a sphere of radius 30 and cover much less of the screen.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawModelExploded(model, 0.5);
    saveFrame("explosion_p05.png", frame());
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    drawModelExploded(model, 1.0);
    const auto apart = frame();
    saveFrame("explosion_p1.png", apart);
    EXPECT_GT(litPixels(apart), 1000);
    EXPECT_LT(litPixels(apart), litPixels(rest) / 2);
}
