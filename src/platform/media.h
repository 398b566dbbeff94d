// A small interpreter of media-control string commands, for one WAV file (over SDL audio on
// Linux, the media control interface itself on Windows):
//   "Open <file>", "Play <file>", "Play <file> from <ms>", "Stop <file>",
//   "Seek <file> to start", "Close <file>", and for the player "Pause <file>" (holds the
//   position) and "Resume <file>" (plays on from it).
// It fails silently like the interface it replaces: no device or no file means silence.
// LUMIVANE_MEDIA_LOG=<file> in the environment appends every command to that file (tests).
#pragma once
#include <string>
#include <vector>

namespace platform {

void sendMediaCommand(const char* command);

// Every command received, in order (tests).
const std::vector<std::string>& mediaCommandLog();
void clearMediaCommandLog();

// false: commands are logged but no audio device or file is touched (render and bench runs).
void setAudioEnabled(bool enabled);
// True while a file is open and its samples are being played (tests).
bool mediaPlaying();
// Playback position of the open file in milliseconds; -1 when no file is open (tests).
double mediaPositionMs();

}  // namespace platform
