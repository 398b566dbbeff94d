// Fuzzes the bitmap reader: the parse of the bytes in memory, then the whole texture load from a
// file, GL upload included.
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "model/bitmap.h"
#include "model/mqo_model.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    fuzz::setUpOnce();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    BitmapImage image;
    std::string reason;
    if (parseBitmap(data, size, image, reason)) {
        if (image.width <= 0 || image.height <= 0 ||
            image.pixels.size() != std::size_t(image.width) * std::size_t(image.height) * 4)
            __builtin_trap();
    } else if (reason.empty() || !image.pixels.empty()) {
        __builtin_trap();
    }

    const std::string file = fuzz::scratchFile("input.bmp");
    if (std::FILE* out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(data, 1, size, out);
        std::fclose(out);
    }
    MqoMaterial material;
    material.loadTexture(file);
    if (const GLuint name = material.texture()) glDeleteTextures(1, &name);
    fuzz::clearMessages();
    return 0;
}
