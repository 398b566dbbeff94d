// PNG output of our own frames through stb_image_write (Debian's libstb-dev): the frames are the
// program's, never a user's file, which is what that library is meant for.
#include "platform/png_image.h"

#include <cstdio>

#include "platform/files.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace platform {
namespace {

struct Output {
    std::FILE* file;
    bool ok;
};

void write(void* context, void* data, int size) {
    auto* out = static_cast<Output*>(context);
    if (out->ok && std::fwrite(data, 1, static_cast<std::size_t>(size), out->file) != static_cast<std::size_t>(size))
        out->ok = false;
}

}  // namespace

bool writePng(const char* path, int width, int height, const unsigned char* rgb) {
    std::FILE* file = path ? openHostFile(path, "wb") : nullptr;
    if (!file) return false;
    const bool ok = writePng(file, width, height, rgb);
    return std::fclose(file) == 0 && ok;
}

bool writePng(std::FILE* file, int width, int height, const unsigned char* rgb) {
    // Fast settings: a whole show is tens of thousands of frames.
    stbi_write_png_compression_level = 1;
    stbi_write_force_png_filter = 1;  // "sub"
    Output out{file, true};
    const bool encoded = stbi_write_png_to_func(write, &out, width, height, 3, rgb, width * 3) != 0;
    return encoded && out.ok && std::fflush(file) == 0 && !std::ferror(file);
}

}  // namespace platform
