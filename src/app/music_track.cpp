// The soundtrack as media-control commands; no result is ever looked at.
#include "app/music_track.h"

#include <cstdio>

#include "platform/files.h"
#include "platform/media.h"

namespace {
double startMs = 0;

void send(const char* format) {
    char command[64];
    std::snprintf(command, sizeof command, format, kMusicFile);
    platform::sendMediaCommand(command);
}
}  // namespace

std::string musicFilePath() { return platform::hostPath(kMusicFile); }

void setMusicStart(double ms) { startMs = ms > 0 ? ms : 0; }

void openMusic() { send("Open %s"); }

void playMusic() {
    if (startMs <= 0)
        send("Play %s");
    else
        playMusicFrom(startMs);
}

void playMusicFrom(double ms) {
    char command[64];
    std::snprintf(command, sizeof command, "Play %s from %.0f", kMusicFile, ms > 0 ? ms : 0.0);
    platform::sendMediaCommand(command);
}

void pauseMusic() { send("Pause %s"); }
void resumeMusic() { send("Resume %s"); }

void stopMusic() {
    send("Stop %s");
    send("Seek %s to start");
}

void closeMusic() {
    stopMusic();
    send("Close %s");
}
