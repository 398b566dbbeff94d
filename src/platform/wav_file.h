// Decoding a WAV file into PCM samples, as the media commands play it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct PcmSound {
    enum class Format { U8, S16, S32, F32 };  // interleaved, host byte order
    Format format = Format::S16;
    int rate = 0;       // sample frames per second
    int channels = 0;
    std::vector<uint8_t> bytes;

    int bytesPerSample() const;
    size_t frameBytes() const { return static_cast<size_t>(bytesPerSample()) * channels; }
    size_t frames() const { return channels ? bytes.size() / frameBytes() : 0; }
};

// Decodes the WAV file at path (a host path); false with the reason in error when it cannot be
// read or decoded. Compressed encodings the decoder knows come out as S16.
bool loadWav(const char* path, PcmSound& sound, std::string& error);

}  // namespace platform
