// The model renderer: pixels of filled and outlined faces, materials, texture coordinates, and
// the GL state each draw leaves behind.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "alloc_counter.h"
#include "gl_fixture.h"
#include "model/mqo_model.h"
#include "platform/message_box.h"
#include "platform/png_image.h"
#include "render/model_renderer.h"

namespace {

MqoFace face(std::vector<int> indices, int material, std::vector<float> uv = {}) {
    MqoFace f;
    f.vertexCount = int(indices.size());
    for (std::size_t k = 0; k < indices.size() && k < 4; ++k) f.vertexIndex[k] = indices[k];
    if (f.vertexCount == 3) f.vertexIndex[3] = f.vertexIndex[2];
    f.materialIndex = material;
    for (std::size_t k = 0; k < uv.size() && k < 8; ++k) f.uv[k] = uv[k];
    return f;
}

MqoObject object(const std::vector<MqoVertex>& vertices, const std::vector<MqoFace>& faces) {
    MqoObject o;
    o.setVertexCount(int(vertices.size()));
    o.setFaceCount(int(faces.size()));
    std::unique_ptr<MqoVertex[]> v(new MqoVertex[vertices.size()]);
    std::copy(vertices.begin(), vertices.end(), v.get());
    std::unique_ptr<MqoFace[]> f(new MqoFace[faces.size()]);
    std::copy(faces.begin(), faces.end(), f.get());
    o.setVertices(std::move(v));
    o.setFaces(std::move(f));
    return o;
}

MqoMaterial material(float r, float g, float b, float a, float dif = 0, float amb = 0, uint32_t texture = 0) {
    MqoMaterial m;
    m.setColor(r, g, b, a);
    m.setDif(dif);
    m.setAmb(amb);
    m.textureName = texture;
    return m;
}

// Left half of the viewport red (a quad), right half half-transparent blue (two triangles).
MqoModel twoMaterialModel() {
    MqoModel model;
    model.materials = {material(1, 0, 0, 1, 0.8f, 0.6f), material(0, 0, 1, 0.5f, 0.3f, 0.2f)};
    model.materialCount = 2;
    model.objects.push_back(object({{-1, -1, 0}, {0, -1, 0}, {0, 1, 0}, {-1, 1, 0}, {1, -1, 0}, {1, 1, 0}},
                                   {face({0, 1, 2, 3}, 0), face({1, 4, 5}, 1), face({1, 5, 2}, 1)}));
    model.objectCount = 1;
    return model;
}

// A whole-viewport quad with texture coordinates (0,0) .. (1,1) from the bottom left.
MqoModel screenQuad(uint32_t texture, float alpha = 1) {
    MqoModel model;
    model.materials = {material(1, 1, 1, alpha, 1, 1, texture)};
    model.objects.push_back(object({{-1, -1, 0}, {1, -1, 0}, {1, 1, 0}, {-1, 1, 0}},
                                   {face({0, 1, 2, 3}, 0, {0, 0, 1, 0, 1, 1, 0, 1})}));
    model.objectCount = 1;
    return model;
}

// 2 by 2 texels: first row (t = 0) red, green; second row blue, white.
uint32_t quadrantTexture() {
    const uint8_t texels[16] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

std::vector<float> floats(GLenum what, int n) {
    std::vector<float> out(std::size_t(n > 4 ? n : 4));
    glGetFloatv(what, out.data());
    out.resize(std::size_t(n));
    return out;
}

std::vector<float> materialValues(GLenum what) {
    std::vector<float> out(4);
    glGetMaterialfv(GL_FRONT, what, out.data());
    return out;
}

void expectColour(const std::vector<uint8_t>& pixel, int r, int g, int b) {
    EXPECT_NEAR(pixel[0], r, 2);
    EXPECT_NEAR(pixel[1], g, 2);
    EXPECT_NEAR(pixel[2], b, 2);
}

// With LUMIVANE_TEST_PNG_DIR set, the frame is kept as a PNG for a person to look at.
void keepFrame(const std::vector<uint8_t>& rgba, const char* name) {
    const char* dir = std::getenv("LUMIVANE_TEST_PNG_DIR");
    if (!dir) return;
    std::vector<uint8_t> rgb(800 * 600 * 3);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x)
            for (int c = 0; c < 3; ++c) rgb[std::size_t(((599 - y) * 800 + x) * 3 + c)] = rgba[std::size_t((y * 800 + x) * 4 + c)];
    platform::writePng((std::string(dir) + "/" + name).c_str(), 800, 600, rgb.data());
}

bool allBlack(const std::vector<uint8_t>& frame) {
    for (std::size_t i = 0; i < frame.size(); i += 4)
        if (frame[i] || frame[i + 1] || frame[i + 2]) return false;
    return true;
}

class ModelRenderer : public GLTest {
protected:
    void SetUp() override {
        GLTest::SetUp();
        resetModelRendererReports();
        glDisable(GL_LIGHTING);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_ALPHA_TEST);
        glDisable(GL_CULL_FACE);
        glDepthMask(GL_TRUE);
        glColor4f(1, 1, 1, 1);
    }
    static int matrixDepth() {
        GLint depth = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &depth);
        return depth;
    }
};

}  // namespace

TEST_F(ModelRenderer, MaterialsColourTheirFacesAndTheLastOneStays) {
    const MqoModel model = twoMaterialModel();
    platform::MessageRecorder recorder;
    const int depth = matrixDepth();
    drawModel(model, true, true, false);
    const auto picture = frame();
    keepFrame(picture, "model_renderer_materials.png");
    expectColour(pixel(200, 300), 255, 0, 0);
    expectColour(pixel(600, 300), 0, 0, 128);  // alpha 0.5 blended over black
    EXPECT_TRUE(recorder.messages().empty());

    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_ALPHA_TEST));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    GLint source = 0, destination = 0, alphaFunc = 0;
    glGetIntegerv(GL_BLEND_SRC, &source);
    glGetIntegerv(GL_BLEND_DST, &destination);
    glGetIntegerv(GL_ALPHA_TEST_FUNC, &alphaFunc);
    EXPECT_EQ(source, GL_SRC_ALPHA);
    EXPECT_EQ(destination, GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(alphaFunc, GL_GREATER);
    EXPECT_FLOAT_EQ(floats(GL_ALPHA_TEST_REF, 1)[0], 0.01f);
    EXPECT_EQ(floats(GL_CURRENT_COLOR, 4), (std::vector<float>{0, 0, 1, 0.5f}));
    // The fourth components are dif and amb, not the colour's alpha.
    EXPECT_EQ(materialValues(GL_DIFFUSE), (std::vector<float>{0, 0, 1, 0.3f}));
    EXPECT_EQ(materialValues(GL_AMBIENT), (std::vector<float>{0, 0, 1, 0.2f}));
    EXPECT_EQ(matrixDepth(), depth);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ModelRenderer, DrawsAllocateNothing) {
    // The first rounds let the GL compile and cache what it needs for these states (it
    // allocates then); the last round must allocate nothing.
    const MqoModel model = twoMaterialModel();
    uint64_t before = 0;
    for (int round = 0; round < 3; ++round) {
        before = allocationCount();
        drawModel(model, true, true, true);
        drawModelOutline(model, 1, 1, 1, 1, false);
    }
    EXPECT_EQ(allocationCount(), before);
}

TEST_F(ModelRenderer, TexturedFaceShowsTheTextureWithVNegated) {
    const uint32_t texture = quadrantTexture();
    const MqoModel model = screenQuad(texture);
    drawModel(model, true, true, true);
    keepFrame(frame(), "model_renderer_textured.png");
    // v = 0.25 becomes t = -0.25, which repeats to 0.75: the second row shows at the bottom.
    expectColour(pixel(200, 150), 0, 0, 255);
    expectColour(pixel(600, 150), 255, 255, 255);
    expectColour(pixel(200, 450), 255, 0, 0);
    expectColour(pixel(600, 450), 0, 255, 0);
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    GLint bound = 0, mode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GLuint(bound), texture);
    EXPECT_EQ(mode, GL_MODULATE);
    glDisable(GL_TEXTURE_2D);
    glDeleteTextures(1, &texture);
}

TEST_F(ModelRenderer, TexturesWithoutMaterialsUseTheCallersBinding) {
    // The material names a texture; the caller has bound another. Coordinates are sent, the
    // binding is the caller's.
    const uint32_t callers = quadrantTexture();
    const uint32_t unused = quadrantTexture();
    const MqoModel model = screenQuad(unused);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, callers);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    drawModel(model, false, true, false);
    expectColour(pixel(200, 150), 0, 0, 255);
    expectColour(pixel(600, 450), 0, 255, 0);
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(GLuint(bound), callers);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));  // no material applied
    glDisable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glDeleteTextures(1, &callers);
    glDeleteTextures(1, &unused);
}

TEST_F(ModelRenderer, AlphaZeroMaterialDrawsNothing) {
    drawModel(screenQuad(0, 0.0f), true, false, false);
    EXPECT_TRUE(allBlack(frame()));
    // Just above the alpha test's threshold a face shows.
    drawModel(screenQuad(0, 0.02f), true, false, false);
    EXPECT_FALSE(allBlack(frame()));
}

TEST_F(ModelRenderer, CullingFollowsTheFlagAndIsOnAfterEveryDraw) {
    MqoModel clockwise;
    clockwise.materials = {material(1, 1, 1, 1)};
    clockwise.objects.push_back(object({{-1, -1, 0}, {-1, 1, 0}, {1, 1, 0}, {1, -1, 0}}, {face({0, 1, 2, 3}, 0)}));
    drawModel(clockwise, true, false, true);
    EXPECT_TRUE(allBlack(frame()));
    glDisable(GL_CULL_FACE);
    drawModel(clockwise, true, false, false);
    expectColour(pixel(400, 300), 255, 255, 255);
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST_F(ModelRenderer, ModelsWithoutFacesDrawNothingAndStillLeaveCullingOn) {
    platform::MessageRecorder recorder;
    MqoModel none;
    MqoModel faceless;
    faceless.objects.push_back(object({{0, 0, 0}}, {}));
    faceless.objects.push_back(MqoObject());  // no blocks at all
    const int depth = matrixDepth();
    for (const MqoModel* model : {&none, &faceless}) {
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        drawModel(*model, true, true, false);
        EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
        EXPECT_FALSE(glIsEnabled(GL_BLEND));
        drawModelOutline(*model, 1, 1, 1, 1, false);
    }
    EXPECT_TRUE(allBlack(frame()));
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(matrixDepth(), depth);
}

TEST_F(ModelRenderer, OnlyFacesNamingMissingVerticesAreReportedOncePerModel) {
    MqoModel model = twoMaterialModel();
    MqoObject& o = model.objects[0];
    std::unique_ptr<MqoFace[]> faces(new MqoFace[5]);
    faces[0] = face({0, 1}, 0);                    // an edge: no fill, no message
    faces[1] = o.faces[0];                         // the red quad
    faces[2] = face({1, 4, 9}, 1);                 // vertex 9 of 6
    faces[3] = face({1, 5, 2}, 7);                 // material 7 of 2: none applied, blue stays
    faces[4] = o.faces[1];                         // a blue triangle
    o.setFaceCount(5);
    o.setFaces(std::move(faces));
    platform::MessageRecorder recorder;
    drawModel(model, true, true, false);
    expectColour(pixel(200, 300), 255, 0, 0);
    expectColour(pixel(700, 200), 0, 0, 128);
    expectColour(pixel(600, 450), 0, 0, 128);  // drawn in the state the face before left
    ASSERT_EQ(recorder.messages().size(), 1u);
    EXPECT_EQ(recorder.messages()[0].caption, "error");
    EXPECT_EQ(recorder.messages()[0].text, "面情報がおかしくてレンダリングできません");
    drawModel(model, true, true, false);
    drawModelOutline(model, 1, 1, 1, 1, false);
    EXPECT_EQ(recorder.messages().size(), 1u);  // not again on the next frames
    MqoModel other = twoMaterialModel();
    other.objects[0].faces[2].vertexCount = 5;
    drawModelOutline(other, 1, 1, 1, 1, false);
    EXPECT_EQ(recorder.messages().size(), 2u);
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ModelRenderer, FacesWithoutAMaterialTakeThePlainPathWithTheStateBeforeThem) {
    // Textures asked for, the face names no material: no texture coordinates, no binding, the
    // colour the caller left.
    MqoModel model = screenQuad(quadrantTexture());
    model.objects[0].faces[0].materialIndex = -1;
    glColor4f(0, 1, 0, 1);
    platform::MessageRecorder recorder;
    drawModel(model, true, true, false);
    expectColour(pixel(100, 100), 0, 255, 0);
    expectColour(pixel(700, 500), 0, 255, 0);
    drawModel(model, false, true, false);
    expectColour(pixel(400, 300), 0, 255, 0);
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ModelRenderer, EdgesAreLinesInOutlinesAndNothingWhenFilled) {
    MqoModel model;
    model.objects.push_back(object({{-1, 0, 0}, {1, 0, 0}}, {face({0, 1}, -1)}));
    model.objectCount = 1;
    platform::MessageRecorder recorder;
    drawModel(model, true, true, false);
    EXPECT_TRUE(allBlack(frame()));
    drawModelOutline(model, 1, 1, 1, 1, false);
    const auto picture = frame();
    int lit = 0;
    for (std::size_t i = 0; i < picture.size(); i += 4) lit += picture[i] == 255;
    EXPECT_GE(lit, 790);  // one row across the viewport
    EXPECT_LE(lit, 1600);
    EXPECT_EQ(std::max(pixel(400, 300)[0], pixel(400, 299)[0]), 255);
    EXPECT_TRUE(recorder.messages().empty());
    EXPECT_EQ(glErrors(), 0u);
}

TEST_F(ModelRenderer, OutlineDrawsLineLoopsInOneColourAndRestoresState) {
    const MqoModel model = twoMaterialModel();
    glEnable(GL_LIGHTING);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glEnable(GL_DEPTH_TEST);
    const int depth = matrixDepth();
    drawModelOutline(model, 0.4f, 0.4f, 0.4f, 0.4f, false);
    const auto picture = frame();
    keepFrame(picture, "model_renderer_outline.png");
    int lit = 0, grey = 0;
    for (std::size_t i = 0; i < picture.size(); i += 4) {
        if (picture[i] == 0) continue;
        ++lit;
        grey += picture[i] == 102 && picture[i + 1] == 102 && picture[i + 2] == 102;
    }
    EXPECT_GT(lit, 1000);
    EXPECT_EQ(grey, lit);  // drawn unblended and untextured
    // The inside of a face stays empty.
    expectColour(pixel(200, 300), 0, 0, 0);

    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(floats(GL_CURRENT_COLOR, 4), (std::vector<float>{0.4f, 0.4f, 0.4f, 0.4f}));
    EXPECT_EQ(matrixDepth(), depth);

    // Keeping the depth test leaves it as it was and turns depth writes back on.
    glDisable(GL_DEPTH_TEST);
    drawModelOutline(model, 1, 1, 1, 1, true);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    GLboolean mask = GL_FALSE;
    glGetBooleanv(GL_DEPTH_WRITEMASK, &mask);
    EXPECT_EQ(mask, GL_TRUE);
    glDisable(GL_LIGHTING);
    glDisable(GL_BLEND);
    EXPECT_EQ(glErrors(), 0u);
}
