// A material's texture as the show would load it, looked up and decoded but not uploaded, so
// that a data set can be checked without a GL.
#pragma once
#include <cstdint>
#include <string>

#include "model/mqo_reader.h"

// Sides above this are beyond what many GL implementations in use take (GL_MAX_TEXTURE_SIZE).
inline constexpr int32_t kCommonTextureLimit = 4096;

struct TextureCheck {
    std::string path;          // as the model names it (the show's form)
    std::string hostFile;      // the file found; empty when none was
    std::string format;        // "BMP 32-bit", "BMP 24-bit RLE", "PNG", "JPEG", "TGA", "unknown"
    int32_t width = 0, height = 0;
    bool decoded = false;      // the show makes a texture of it (given a GL that takes its size)
    bool designedPath = false; // a 32-bit uncompressed bitmap, uploaded byte for byte as it stands
    std::string reason;        // why it cannot be decoded (English)

    bool powerOfTwo() const;   // both sides
    bool tooLargeForCommonGL() const { return width > kCommonTextureLimit || height > kCommonTextureLimit; }
};

// Looks the texture up where the reader asked for it and decodes it as the texture loader does.
TextureCheck checkTexture(const MqoTextureRequest& request);
