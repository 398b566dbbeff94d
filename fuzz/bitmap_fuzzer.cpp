// Fuzzes the texture image readers: the bitmap parse and the decoder of every other format (BMP
// of other depths and RLE, PNG, JPEG, TGA) on the bytes in memory, then the whole texture load
// from a file through the one loader, GL upload included.
#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "model/bitmap.h"
#include "model/mqo_model.h"
#include "platform/image_decoder.h"

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

    platform::RgbaImage decoded;
    if (platform::decodeImage(data, size, decoded, reason)) {
        if (decoded.width <= 0 || decoded.height <= 0 || decoded.width > platform::kMaxImageSide ||
            decoded.height > platform::kMaxImageSide ||
            decoded.pixels.size() != std::size_t(decoded.width) * std::size_t(decoded.height) * 4)
            __builtin_trap();
    } else if (reason.empty() || !decoded.pixels.empty()) {
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
