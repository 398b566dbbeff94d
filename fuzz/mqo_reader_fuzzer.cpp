// Fuzzes the model file reader on arbitrary text, binary vertex blocks and polygons included, and
// textures (the scratch directory holds "t.bmp", a 32-bit bitmap, and "bad.bmp", a 24-bit one).
// Whatever the input, every face must name vertices that exist.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>

#include "fuzz_support.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

void checkDrawable(const MqoModel& model) {
    check(model.objectCount >= 0 && std::size_t(model.objectCount) == model.objects.size());
    for (const MqoObject& object : model.objects) {
        check(object.vertexCount >= 0 && object.faceCount >= 0);
        check(object.vertexCount == 0 || object.vertices);
        check(object.faceCount == 0 || object.faces);
        for (int f = 0; f < object.faceCount; ++f) {
            const MqoFace& face = object.faces[f];
            check(face.vertexCount >= 2 && face.vertexCount <= 4);
            for (int k = 0; k < 4; ++k) check(face.vertexIndex[k] >= 0 && face.vertexIndex[k] < object.vertexCount);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::setUpOnce();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzz::scratchDirectory() + "m.mqo";
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    MqoModel model;
    MqoReadStats stats;
    readModel(model, in, path.c_str(), size, &stats);
    checkDrawable(model);
    check(stats.objects.size() == model.objects.size());
    // Textures live as long as the context in the show; here each input frees its own.
    for (const MqoMaterial& material : model.materials) {
        const GLuint name = material.texture();
        if (name) glDeleteTextures(1, &name);
    }
    fuzz::clearMessages();
    return 0;
}
