// The part of the soundtrack that belongs to a range of the show, sample-exact.
#pragma once
#include <cstddef>
#include <string>

#include "platform/wav_file.h"

namespace output {

// The sample frame at which demo time ms begins: the nearest one to ms * rate / 1000.
size_t sampleAt(double ms, int rate);

// Cuts sound down to its frames [sampleAt(fromMs), sampleAt(toMs)), fewer where the sound ends
// earlier.
void cutSlice(platform::PcmSound& sound, double fromMs, double toMs);

// Decodes the WAV at path and cuts it to [fromMs, toMs); false with the reason in error.
bool loadSoundtrackSlice(const char* path, double fromMs, double toMs, platform::PcmSound& slice,
                         std::string& error);

// Writes sound as a WAV file (integer PCM, or IEEE float for F32); false with the reason in error.
bool writeWav(const char* path, const platform::PcmSound& sound, std::string& error);

}  // namespace output
