// WAV decoding through SDL, the same decoder that plays the soundtrack.
#include "platform/wav_file.h"

#include <SDL.h>

#include "platform/input_files.h"

namespace platform {

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
    // A FIFO or a device would block the open or never end: only a regular file is read.
    if (std::string why = unusableFileReason(path ? path : ""); !why.empty()) {
        error = why;
        return false;
    }
    // SDL's WAV reader needs no initialised audio subsystem and no device.
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    if (!SDL_LoadWAV(path, &spec, &samples, &length)) {
        error = SDL_GetError();
        return false;
    }
    // SDL hands out host-order formats for everything it decodes except explicit big-endian data.
    bool known = true;
    switch (spec.format) {
    case AUDIO_U8: sound.format = PcmSound::Format::U8; break;
    case AUDIO_S16SYS: sound.format = PcmSound::Format::S16; break;
    case AUDIO_S32SYS: sound.format = PcmSound::Format::S32; break;
    case AUDIO_F32SYS: sound.format = PcmSound::Format::F32; break;
    default: known = false;
    }
    if (!known || spec.channels == 0 || spec.freq <= 0) {
        SDL_FreeWAV(samples);
        error = "unsupported sample format";
        return false;
    }
    sound.rate = spec.freq;
    sound.channels = spec.channels;
    sound.bytes.assign(samples, samples + length - length % sound.frameBytes());
    SDL_FreeWAV(samples);
    return true;
}

}  // namespace platform
