// Media-control string commands for one WAV file, played through an SDL audio device.
#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/input_files.h"
#include "platform/media.h"

namespace platform {
namespace {

struct Track {
    std::string device;              // the file name as the commands name it
    Uint8* samples = nullptr;        // whole file in the device's format
    Uint32 length = 0;               // bytes
    Uint32 frameBytes = 1;           // bytes per sample frame (all channels)
    int frequency = 44100;
    SDL_AudioDeviceID output = 0;
    std::atomic<Uint32> position{0}; // byte offset of the next frame to play
    bool playing = false;
};

Track track;
std::vector<std::string> commandLog;
bool audioEnabled = true;

void feed(void*, Uint8* stream, int bytes) {
    const Uint32 at = track.position.load();
    const Uint32 left = at < track.length ? track.length - at : 0;
    const Uint32 take = left < static_cast<Uint32>(bytes) ? left : static_cast<Uint32>(bytes);
    if (take) SDL_memcpy(stream, track.samples + at, take);
    if (take < static_cast<Uint32>(bytes)) SDL_memset(stream, 0, bytes - take);
    track.position.store(at + take);
}

void closeTrack() {
    if (track.output) SDL_CloseAudioDevice(track.output);
    if (track.samples) SDL_FreeWAV(track.samples);
    track.output = 0;
    track.samples = nullptr;
    track.length = 0;
    track.position = 0;
    track.playing = false;
    track.device.clear();
}

// Loads the file and opens a device in its format; on any failure the device stays closed and
// later commands play nothing.
void openTrack(const std::string& device) {
    closeTrack();
    if (!audioEnabled) return;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    SDL_AudioSpec spec{};
    Uint8* samples = nullptr;
    Uint32 length = 0;
    // Only a regular file: a FIFO would block the open for good.
    if (!unusableFileReason(hostPath(device)).empty()) return;
    if (!SDL_LoadWAV(hostPath(device).c_str(), &spec, &samples, &length)) return;
    spec.callback = feed;
    spec.userdata = nullptr;
    if (spec.samples == 0) spec.samples = 2048;
    const SDL_AudioDeviceID output = SDL_OpenAudioDevice(nullptr, 0, &spec, nullptr, 0);
    if (!output) {
        SDL_FreeWAV(samples);
        return;
    }
    track.device = device;
    track.samples = samples;
    track.length = length;
    track.frameBytes = static_cast<Uint32>(SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels);
    if (track.frameBytes == 0) track.frameBytes = 1;
    track.frequency = spec.freq;
    track.output = output;
    track.position = 0;
}

bool names(std::string_view device) { return track.output && device == track.device; }

}  // namespace

void sendMediaCommand(const char* command) {
    if (!command) return;
    commandLog.emplace_back(command);
    if (const char* logFile = std::getenv("LUMIVANE_MEDIA_LOG"); logFile && *logFile) {
        if (std::FILE* f = std::fopen(logFile, "a")) {
            std::fprintf(f, "%s\n", command);
            std::fclose(f);
        }
    }
    std::string_view text(command);
    const auto space = text.find(' ');
    if (space == std::string_view::npos) return;
    const std::string_view verb = text.substr(0, space);
    std::string_view rest = text.substr(space + 1);

    if (verb == "Open") {
        openTrack(std::string(rest));
    } else if (verb == "Play") {
        double fromMs = -1;
        if (const auto at = rest.rfind(" from "); at != std::string_view::npos) {
            fromMs = std::strtod(std::string(rest.substr(at + 6)).c_str(), nullptr);
            rest = rest.substr(0, at);
        }
        if (!names(rest)) return;
        if (fromMs >= 0) {
            const double frames = fromMs * track.frequency / 1000.0;
            const double bytes = frames * track.frameBytes;
            SDL_LockAudioDevice(track.output);
            track.position = bytes >= track.length ? track.length : static_cast<Uint32>(frames) * track.frameBytes;
            SDL_UnlockAudioDevice(track.output);
        }
        SDL_PauseAudioDevice(track.output, 0);
        track.playing = true;
    } else if (verb == "Stop" || verb == "Pause") {
        if (!names(rest)) return;
        SDL_PauseAudioDevice(track.output, 1);
        track.playing = false;
    } else if (verb == "Resume") {
        if (!names(rest)) return;
        SDL_PauseAudioDevice(track.output, 0);
        track.playing = true;
    } else if (verb == "Seek") {
        constexpr std::string_view toStart = " to start";
        if (rest.size() < toStart.size() || rest.substr(rest.size() - toStart.size()) != toStart) return;
        if (!names(rest.substr(0, rest.size() - toStart.size()))) return;
        SDL_LockAudioDevice(track.output);
        track.position = 0;
        SDL_UnlockAudioDevice(track.output);
    } else if (verb == "Close") {
        if (names(rest)) closeTrack();
    }
}

const std::vector<std::string>& mediaCommandLog() { return commandLog; }
void clearMediaCommandLog() { commandLog.clear(); }
void setAudioEnabled(bool enabled) { audioEnabled = enabled; }
bool mediaPlaying() { return track.output && track.playing; }

double mediaPositionMs() {
    if (!track.output) return -1;
    return 1000.0 * (track.position.load() / track.frameBytes) / track.frequency;
}

}  // namespace platform
