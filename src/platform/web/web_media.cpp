// Media-control string commands for one soundtrack, played through Web Audio. The page packs the
// show's WAV file compressed beside it (vorsa.wav as vorsa.ogg) and the browser decodes it before
// the show starts; a command names the WAV file as the show does.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/media.h"
#include "platform/web/web_page.h"

namespace platform {
namespace {

struct Track {
    std::string device;  // the file name as the commands name it
    bool open = false;
    bool playing = false;
};
Track track;
std::vector<std::string> commandLog;
bool audioEnabled = true;

bool names(std::string_view device) { return track.open && device == track.device; }

void closeTrack() {
    if (track.open) pageAudioClose();
    track = Track{};
}

void openTrack(const std::string& device) {
    closeTrack();
    if (!audioEnabled) return;
    // Fails silently, as the interface it replaces: no decoded soundtrack means silence.
    if (!pageAudioOpen(hostPath(device).c_str())) return;
    track.device = device;
    track.open = true;
}

}  // namespace

void sendMediaCommand(const char* command) {
    if (!command) return;
    commandLog.emplace_back(command);
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
            if (!(fromMs >= 0)) fromMs = 0;
            rest = rest.substr(0, at);
        }
        if (!names(rest)) return;
        pageAudioPlay(fromMs);
        track.playing = true;
    } else if (verb == "Stop" || verb == "Pause") {
        if (!names(rest)) return;
        pageAudioPause();
        track.playing = false;
    } else if (verb == "Resume") {
        if (!names(rest)) return;
        pageAudioPlay(-1);
        track.playing = true;
    } else if (verb == "Seek") {
        constexpr std::string_view toStart = " to start";
        if (rest.size() < toStart.size() || rest.substr(rest.size() - toStart.size()) != toStart) return;
        if (!names(rest.substr(0, rest.size() - toStart.size()))) return;
        pageAudioSeekStart();
    } else if (verb == "Close") {
        if (names(rest)) closeTrack();
    }
}

const std::vector<std::string>& mediaCommandLog() { return commandLog; }
void clearMediaCommandLog() { commandLog.clear(); }
void setAudioEnabled(bool enabled) { audioEnabled = enabled; }
bool mediaPlaying() { return track.open && track.playing && pageAudioPlaying(); }
double mediaPositionMs() { return track.open ? pageAudioPositionMs() : -1; }

}  // namespace platform
