#include "output/soundtrack_slice.h"

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <bit>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "platform/files.h"

namespace output {
namespace {

void put16(unsigned char* at, uint16_t v) {
    at[0] = static_cast<unsigned char>(v);
    at[1] = static_cast<unsigned char>(v >> 8);
}

void put32(unsigned char* at, uint32_t v) {
    put16(at, static_cast<uint16_t>(v));
    put16(at + 2, static_cast<uint16_t>(v >> 16));
}

}  // namespace

size_t sampleAt(double ms, int rate) {
    if (ms <= 0 || rate <= 0) return 0;
    return static_cast<size_t>(std::llround(ms * rate / 1000.0));
}

void cutSlice(platform::PcmSound& sound, double fromMs, double toMs) {
    const size_t frames = sound.frames();
    size_t first = sampleAt(fromMs, sound.rate), end = sampleAt(toMs, sound.rate);
    if (first > frames) first = frames;
    if (end > frames) end = frames;
    if (end < first) end = first;
    const size_t bytes = sound.frameBytes();
    sound.bytes.erase(sound.bytes.begin() + static_cast<std::ptrdiff_t>(end * bytes), sound.bytes.end());
    sound.bytes.erase(sound.bytes.begin(), sound.bytes.begin() + static_cast<std::ptrdiff_t>(first * bytes));
}

bool loadSoundtrackSlice(const char* path, double fromMs, double toMs, platform::PcmSound& slice,
                         std::string& error) {
    if (!platform::loadWav(path, slice, error)) return false;
    cutSlice(slice, fromMs, toMs);
    return true;
}

bool writeWav(const char* path, const platform::PcmSound& sound, std::string& error) {
    if (sound.bytes.size() > 0xFFFFFFFFu - 36) {
        error = "too long for a WAV file";
        return false;
    }
    const uint32_t dataBytes = static_cast<uint32_t>(sound.bytes.size());
    const int sampleBytes = sound.bytesPerSample();
    unsigned char header[44];
    std::memcpy(header, "RIFF", 4);
    put32(header + 4, 36 + dataBytes);
    std::memcpy(header + 8, "WAVEfmt ", 8);
    put32(header + 16, 16);
    put16(header + 20, sound.format == platform::PcmSound::Format::F32 ? 3 : 1);
    put16(header + 22, static_cast<uint16_t>(sound.channels));
    put32(header + 24, static_cast<uint32_t>(sound.rate));
    put32(header + 28, static_cast<uint32_t>(sound.rate) * sound.channels * sampleBytes);
    put16(header + 32, static_cast<uint16_t>(sound.channels * sampleBytes));
    put16(header + 34, static_cast<uint16_t>(sampleBytes * 8));
    std::memcpy(header + 36, "data", 4);
    put32(header + 40, dataBytes);
    // The samples are host-order; WAV is little-endian, which is what these hosts are.
    static_assert(std::endian::native == std::endian::little, "WAV output assumes a little-endian host");
    std::FILE* file = platform::openHostFile(path, "wb");
    if (!file) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno);
        return false;
    }
    bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header &&
              std::fwrite(sound.bytes.data(), 1, sound.bytes.size(), file) == sound.bytes.size();
    if (std::fclose(file) != 0) ok = false;
    if (!ok) {
        error = std::string("cannot write ") + path + ": " + std::strerror(errno ? errno : EIO);
        std::error_code ignored;
        std::filesystem::remove(platform::hostFsPath(path), ignored);
    }
    return ok;
}

}  // namespace output
