// The part of the soundtrack that belongs to a range of the show, sample-exact.
#pragma once
#include <cstddef>
#include <cstdio>
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
// The file appears whole or not at all (see WholeFile).
bool writeWav(const char* path, const platform::PcmSound& sound, std::string& error);
// The same into an open stream; false (errno says why) when it cannot.
bool writeWav(std::FILE* file, const platform::PcmSound& sound);

// Shortens a slice that begins at demo time fromMs to the sound of its first frames frames at
// fps: the frames [sampleAt(fromMs), sampleAt(fromMs + frames / fps)), as a stopped run keeps.
void keepFrames(platform::PcmSound& slice, double fromMs, long frames, double fps);

}  // namespace output
