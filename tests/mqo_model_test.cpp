// Model records: copies, directories of model paths, clearing.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/mqo_model.h"

namespace {

MqoObject makeObject(int vertexCount, int faceCount) {
    MqoObject object;
    object.setVertexCount(vertexCount);
    object.setFaceCount(faceCount);
    object.setColor(0.1, 0.2, 0.3);
    std::unique_ptr<MqoVertex[]> vertices(new MqoVertex[vertexCount]);
    for (int i = 0; i < vertexCount; ++i) vertices[i] = {double(i), 2.0 * i, 3.0 * i};
    std::unique_ptr<MqoFace[]> faces(new MqoFace[faceCount]);
    for (int i = 0; i < faceCount; ++i) {
        faces[i].vertexCount = 3;
        faces[i].vertexIndex[0] = i;
        faces[i].uv[5] = 0.5f * float(i);
    }
    object.setVertices(std::move(vertices));
    object.setFaces(std::move(faces));
    return object;
}

}  // namespace

TEST(MqoModelRecords, NewObjectIsGreenWithoutArrays) {
    MqoObject object;
    EXPECT_EQ(object.color[0], 0.0);
    EXPECT_EQ(object.color[1], 1.0);  // green, not white
    EXPECT_EQ(object.color[2], 0.0);
    EXPECT_EQ(object.vertices, nullptr);
    EXPECT_EQ(object.faces, nullptr);
}

TEST(MqoModelRecords, CopiedObjectIsIndependentOfItsSource) {
    auto source = std::make_unique<MqoObject>(makeObject(5, 4));
    MqoObject copy(*source);
    EXPECT_NE(copy.vertices.get(), source->vertices.get());
    EXPECT_NE(copy.faces.get(), source->faces.get());
    copy.vertices[2].x = 99;
    EXPECT_EQ(source->vertices[2].x, 2.0);
    source.reset();  // the copy keeps its own arrays
    ASSERT_EQ(copy.vertexCount, 5);
    ASSERT_EQ(copy.faceCount, 4);
    EXPECT_EQ(copy.vertices[4].z, 12.0);
    EXPECT_EQ(copy.faces[3].vertexIndex[0], 3);
    EXPECT_EQ(copy.faces[3].uv[5], 1.5f);
    EXPECT_EQ(copy.color[2], 0.3);
}

TEST(MqoModelRecords, CopyKeepsEmptyBlocksEmptyAndAbsentBlocksAbsent) {
    MqoObject empty = makeObject(0, 0);
    MqoObject emptyCopy(empty);
    EXPECT_NE(emptyCopy.vertices, nullptr);
    EXPECT_NE(emptyCopy.faces, nullptr);
    MqoObject absent;
    MqoObject absentCopy(absent);
    EXPECT_EQ(absentCopy.vertices, nullptr);
    EXPECT_EQ(absentCopy.faces, nullptr);
}

TEST(MqoModelRecords, ModelListsCopyObjectsOnAppend) {
    MqoModel model;
    MqoObject working = makeObject(3, 1);
    model.objects.push_back(working);
    working.vertices[0].x = -7;
    EXPECT_EQ(model.objects[0].vertices[0].x, 0.0);
    model.objects.push_back(makeObject(2, 2));
    model.objectCount = 2;
    model.materialCount = 3;
    model.materials.resize(3);
    model.clear();
    EXPECT_TRUE(model.objects.empty());
    EXPECT_TRUE(model.materials.empty());
    EXPECT_EQ(model.objects.capacity(), 0u);
    EXPECT_EQ(model.objectCount, 0);
    EXPECT_EQ(model.materialCount, 3);  // clear leaves the header count alone
}

TEST(MqoModelDirectory, KeepsEverythingUpToTheLastBackslash) {
    char out[256];
    std::memset(out, 'x', sizeof out);
    MqoModel::directoryOf(out, "data\\mati\\f0.mqo");
    EXPECT_STREQ(out, "data\\mati\\");
    MqoModel::directoryOf(out, "sky.mqo");
    EXPECT_STREQ(out, "");
    MqoModel::directoryOf(out, "data/mati/f0.mqo");  // only the backslash separates
    EXPECT_STREQ(out, "");
    MqoModel::directoryOf(out, "\\");
    EXPECT_STREQ(out, "\\");
    MqoModel::directoryOf(out, nullptr);
    EXPECT_STREQ(out, "");
}

TEST(MqoModelDirectory, DirectoryTooLongForTheBufferIsNotCutShort) {
    char out[256];
    const std::string fits = std::string(254, 'd') + "\\f.mqo";  // 255 characters of directory
    MqoModel::directoryOf(out, fits.c_str());
    EXPECT_EQ(std::string(out), fits.substr(0, 255));
    const std::string tooLong = std::string(255, 'd') + "\\f.mqo";
    MqoModel::directoryOf(out, tooLong.c_str());
    EXPECT_STREQ(out, "");
}
