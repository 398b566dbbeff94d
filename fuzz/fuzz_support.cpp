#include "fuzz_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/headless_gl.h"
#include "platform/message_box.h"

namespace fuzz {
namespace {

platform::HeadlessGL* context = nullptr;         // lives to the end of the run
platform::MessageRecorder* recorder = nullptr;   // keeps boxes off standard error
std::filesystem::path scratch;
std::string scratchShowPath;

void put32(std::vector<uint8_t>& bytes, std::size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = uint8_t(value >> (8 * i));
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                 std::streamsize(bytes.size()));
}

void removeScratch() {
    std::error_code error;
    std::filesystem::remove_all(scratch, error);
}

}  // namespace

std::vector<uint8_t> bitmapBytes(int32_t width, int32_t height, uint16_t bitCount, const std::vector<uint8_t>& pixels) {
    std::vector<uint8_t> bytes(54, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(bytes, 2, uint32_t(54 + pixels.size()));
    put32(bytes, 10, 54);
    put32(bytes, 14, 40);
    put32(bytes, 18, uint32_t(width));
    put32(bytes, 22, uint32_t(height));
    bytes[26] = 1;
    bytes[28] = uint8_t(bitCount);
    bytes.insert(bytes.end(), pixels.begin(), pixels.end());
    return bytes;
}

void setUpOnce() {
    if (context) return;
    platform::setMessageBoxesHeadless(true);
    recorder = new platform::MessageRecorder;
    context = new platform::HeadlessGL;
    if (!context->create(64, 64)) {
        std::fprintf(stderr, "fuzz: no headless GL context: %s\n", context->error().c_str());
        std::abort();
    }
    char pattern[] = "/tmp/lumivane-fuzz-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::perror("fuzz: mkdtemp");
        std::abort();
    }
    scratch = pattern;
    std::atexit(removeScratch);
    const std::vector<uint8_t> picture(16, 0x80);
    writeFile(scratch / "t.bmp", bitmapBytes(2, 2, 32, picture));
    writeFile(scratch / "bad.bmp", bitmapBytes(2, 2, 24, picture));
    scratchShowPath = scratch.string() + "/";
    for (char& c : scratchShowPath)
        if (c == '/') c = '\\';
}

const std::string& scratchDirectory() { return scratchShowPath; }

std::string scratchFile(const char* name) { return (scratch / name).string(); }

void clearMessages() { recorder->clear(); }

}  // namespace fuzz
