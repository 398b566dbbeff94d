// A RIFF WAVE reader for the soundtrack slice: integer PCM of 8, 16, 24 and 32 bits, float of 32
// and 64 bits, A-law and mu-law, plain or in the extensible format header. Every size read from
// the file is checked against what the file holds; a data chunk cut short keeps its whole frames.
#include "platform/wav_file.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/files.h"

namespace platform {
namespace {

constexpr uint16_t kPcm = 1, kFloat = 3, kALaw = 6, kMuLaw = 7, kExtensible = 0xFFFE;
constexpr std::size_t kMaxFileBytes = std::size_t(1) << 31;  // 2 GiB: RIFF sizes are 32-bit

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return uint32_t(le16(p)) | uint32_t(le16(p + 2)) << 16; }

bool fail(std::string& error, const char* why) {
    error = why;
    return false;
}

int16_t fromALaw(uint8_t value) {
    value ^= 0x55;
    const int exponent = (value >> 4) & 7;
    int magnitude = (value & 0x0F) << 4;
    magnitude += exponent == 0 ? 8 : 0x108;
    if (exponent > 1) magnitude <<= exponent - 1;
    return int16_t((value & 0x80) ? magnitude : -magnitude);
}

int16_t fromMuLaw(uint8_t value) {
    value = uint8_t(~value);
    const int exponent = (value >> 4) & 7;
    const int magnitude = ((((value & 0x0F) << 3) + 0x84) << exponent) - 0x84;
    return int16_t((value & 0x80) ? -magnitude : magnitude);
}

bool readFile(const char* path, std::vector<uint8_t>& bytes, std::string& error) {
    std::FILE* file = path ? openHostFile(path, "rb") : nullptr;
    if (!file) return fail(error, "cannot open the file");
    uint8_t chunk[65536];
    std::size_t n = 0;
    while ((n = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        if (bytes.size() + n > kMaxFileBytes) {
            std::fclose(file);
            return fail(error, "file too large for a WAV file");
        }
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
    const bool readError = std::ferror(file) != 0;
    std::fclose(file);
    if (readError) return fail(error, "cannot read the file");
    return true;
}

}  // namespace

int PcmSound::bytesPerSample() const {
    switch (format) {
    case Format::U8: return 1;
    case Format::S16: return 2;
    case Format::S32:
    case Format::F32: return 4;
    }
    return 1;
}

bool loadWav(const char* path, PcmSound& sound, std::string& error) {
    std::vector<uint8_t> file;
    if (!readFile(path, file, error)) return false;
    const uint8_t* data = file.data();
    const std::size_t size = file.size();
    if (size < 12 || std::memcmp(data, "RIFF", 4) != 0 || std::memcmp(data + 8, "WAVE", 4) != 0)
        return fail(error, "not a RIFF WAVE file");

    // The chunks: "fmt " first, then "data"; others are skipped (each padded to an even size).
    const uint8_t* format = nullptr;
    std::size_t formatSize = 0;
    const uint8_t* samples = nullptr;
    std::size_t sampleBytes = 0;
    for (std::size_t at = 12; at + 8 <= size;) {
        const uint32_t declared = le32(data + at + 4);
        const std::size_t body = at + 8;
        const std::size_t available = size - body;
        if (std::memcmp(data + at, "fmt ", 4) == 0) {
            if (declared > available) return fail(error, "format chunk cut short");
            format = data + body;
            formatSize = declared;
        } else if (std::memcmp(data + at, "data", 4) == 0) {
            samples = data + body;
            sampleBytes = declared < available ? declared : available;  // a cut file keeps what it has
            break;
        }
        if (declared > available) break;
        at = body + declared + (declared & 1);
    }
    if (!format || formatSize < 16) return fail(error, "no format chunk");
    if (!samples) return fail(error, "no data chunk");

    uint16_t encoding = le16(format);
    const uint16_t channels = le16(format + 2);
    const uint32_t rate = le32(format + 4);
    const uint16_t blockAlign = le16(format + 12);
    const uint16_t bits = le16(format + 14);
    if (encoding == kExtensible) {
        if (formatSize < 40) return fail(error, "extensible format chunk cut short");
        encoding = le16(format + 24);  // the sub-format GUID starts with the plain format code
    }
    if (channels == 0 || channels > 255) return fail(error, "bad channel count");
    if (rate == 0 || rate > 768000) return fail(error, "bad sample rate");
    const unsigned inBytes = bits / 8u;
    if (bits % 8 != 0 || inBytes == 0 || blockAlign != inBytes * channels) return fail(error, "bad block size");

    PcmSound out;
    out.rate = static_cast<int>(rate);
    out.channels = channels;
    const std::size_t count = sampleBytes / blockAlign * channels;  // whole frames only
    if (encoding == kPcm && bits == 8) {
        out.format = PcmSound::Format::U8;
        out.bytes.assign(samples, samples + count);
    } else if (encoding == kPcm && bits == 16) {
        out.format = PcmSound::Format::S16;
        out.bytes.assign(samples, samples + count * 2);
    } else if (encoding == kPcm && (bits == 24 || bits == 32)) {
        out.format = PcmSound::Format::S32;
        out.bytes.resize(count * 4);
        for (std::size_t i = 0; i < count; ++i) {
            const uint8_t* in = samples + i * inBytes;
            const uint32_t value = bits == 24 ? (uint32_t(in[0]) << 8 | uint32_t(in[1]) << 16 | uint32_t(in[2]) << 24)
                                              : le32(in);
            std::memcpy(out.bytes.data() + i * 4, &value, 4);
        }
    } else if (encoding == kFloat && (bits == 32 || bits == 64)) {
        out.format = PcmSound::Format::F32;
        out.bytes.resize(count * 4);
        for (std::size_t i = 0; i < count; ++i) {
            float value = 0;
            if (bits == 32) {
                std::memcpy(&value, samples + i * 4, 4);
            } else {
                double wide = 0;
                std::memcpy(&wide, samples + i * 8, 8);
                value = static_cast<float>(wide);
            }
            std::memcpy(out.bytes.data() + i * 4, &value, 4);
        }
    } else if ((encoding == kALaw || encoding == kMuLaw) && bits == 8) {
        out.format = PcmSound::Format::S16;
        out.bytes.resize(count * 2);
        for (std::size_t i = 0; i < count; ++i) {
            const int16_t value = encoding == kALaw ? fromALaw(samples[i]) : fromMuLaw(samples[i]);
            std::memcpy(out.bytes.data() + i * 2, &value, 2);
        }
    } else {
        return fail(error, "unsupported sample format");
    }
    sound = std::move(out);
    return true;
}

}  // namespace platform
