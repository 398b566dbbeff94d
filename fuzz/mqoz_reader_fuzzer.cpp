// Fuzzes zipped model files: the input is taken as a zip archive, unpacked in memory under the
// cap and read by the model reader. Whatever the bytes, nothing is written, and a refused archive
// leaves the model empty with one message.
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_support.h"
#include "model/model_archive.h"
#include "model/mqo_model.h"
#include "model/mqo_reader.h"

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::setUpOnce();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string path = fuzz::scratchDirectory() + "m.mqoz";
    MqoModel model;
    MqoReadStats stats;
    readZippedModel(model, data, size, path.c_str(), &stats);
    check(stats.archived);
    if (!stats.archiveRefused.empty()) check(model.objects.empty() && model.materials.empty() && !stats.textRead);
    check(stats.objects.size() == model.objects.size());
    for (const MqoObject& object : model.objects)
        for (int f = 0; f < object.faceCount; ++f)
            for (int k = 0; k < 4; ++k)
                check(object.faces[f].vertexIndex[k] >= 0 && object.faces[f].vertexIndex[k] < object.vertexCount);
    for (const MqoMaterial& material : model.materials) {
        const GLuint name = material.texture();
        if (name) glDeleteTextures(1, &name);
    }
    fuzz::clearMessages();
    return 0;
}
