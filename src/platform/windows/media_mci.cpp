// The show's media-control string commands, sent to the Windows media control interface. The
// file is opened under an alias of its own, by its host path in quotes through the wide-character
// call, so that a data folder with spaces or names in any script plays; the other commands then
// name the alias. Results are not examined, as the show never did: no device means silence.

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files.h"
#include "platform/media.h"
#include "platform/windows/win32.h"
#include <mmsystem.h>

namespace platform {
namespace {

constexpr const wchar_t* kAlias = L"lumivane_soundtrack";

struct Track {
    std::string device;  // the file name as the commands name it
    bool open = false;
    bool playing = false;
};
Track track;
std::vector<std::string> commandLog;
bool audioEnabled = true;

MCIERROR send(const std::wstring& command, std::wstring* answer = nullptr) {
    wchar_t buffer[128] = {};
    const MCIERROR error = mciSendStringW(command.c_str(), answer ? buffer : nullptr, answer ? 128 : 0, nullptr);
    if (answer) *answer = buffer;
    return error;
}

std::wstring aliased(const wchar_t* verb, const wchar_t* rest = L"") {
    return std::wstring(verb) + L" " + kAlias + rest;
}

void closeTrack() {
    if (track.open) send(aliased(L"close"));
    track = Track{};
}

void openTrack(const std::string& device) {
    closeTrack();
    if (!audioEnabled) return;
    const std::wstring command = L"open \"" + win32::wide(hostPath(device)) + L"\" alias " + kAlias;
    if (send(command) != 0) return;
    send(aliased(L"set", L" time format milliseconds"));
    track.device = device;
    track.open = true;
}

bool names(std::string_view device) { return track.open && device == track.device; }

}  // namespace

void sendMediaCommand(const char* command) {
    if (!command) return;
    commandLog.emplace_back(command);
    if (const char* logFile = std::getenv("LUMIVANE_MEDIA_LOG"); logFile && *logFile) {
        if (std::FILE* f = openHostFile(logFile, "a")) {
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
        long fromMs = -1;
        if (const auto at = rest.rfind(" from "); at != std::string_view::npos) {
            fromMs = std::strtol(std::string(rest.substr(at + 6)).c_str(), nullptr, 10);
            rest = rest.substr(0, at);
        }
        if (!names(rest)) return;
        send(fromMs >= 0 ? aliased(L"play", (L" from " + std::to_wstring(fromMs)).c_str()) : aliased(L"play"));
        track.playing = true;
    } else if (verb == "Stop") {
        if (!names(rest)) return;
        send(aliased(L"stop"));
        track.playing = false;
    } else if (verb == "Pause") {
        if (!names(rest)) return;
        send(aliased(L"pause"));
        track.playing = false;
    } else if (verb == "Resume") {
        if (!names(rest)) return;
        send(aliased(L"resume"));
        track.playing = true;
    } else if (verb == "Seek") {
        constexpr std::string_view toStart = " to start";
        if (rest.size() < toStart.size() || rest.substr(rest.size() - toStart.size()) != toStart) return;
        if (!names(rest.substr(0, rest.size() - toStart.size()))) return;
        send(aliased(L"seek", L" to start"));
        track.playing = false;
    } else if (verb == "Close") {
        if (names(rest)) closeTrack();
    }
}

const std::vector<std::string>& mediaCommandLog() { return commandLog; }
void clearMediaCommandLog() { commandLog.clear(); }
void setAudioEnabled(bool enabled) { audioEnabled = enabled; }

bool mediaPlaying() {
    if (!track.open || !track.playing) return false;
    std::wstring mode;
    // A device that finished the file stops by itself.
    if (send(aliased(L"status", L" mode"), &mode) == 0 && mode != L"playing") track.playing = false;
    return track.playing;
}

double mediaPositionMs() {
    if (!track.open) return -1;
    std::wstring position;
    if (send(aliased(L"status", L" position"), &position) != 0) return -1;
    return std::wcstod(position.c_str(), nullptr);
}

}  // namespace platform
