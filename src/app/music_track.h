// The soundtrack, driven by media-control string commands.
#pragma once
#include <string>

inline constexpr const char* kMusicFile = "data\\vorsa.wav";

// The soundtrack as a path on this host, for readers other than the media commands.
std::string musicFilePath();

void openMusic();   // "Open data\vorsa.wav"
void playMusic();   // "Play data\vorsa.wav", or "... from <ms>" after setMusicStart
void stopMusic();   // "Stop ...", "Seek ... to start"
void closeMusic();  // stopMusic, then "Close ..."

// The player's commands: "Pause ...", "Resume ..." and "Play ... from <ms>".
void pauseMusic();
void resumeMusic();
void playMusicFrom(double ms);

// Where playback starts, in milliseconds (--from); 0 plays from the beginning.
void setMusicStart(double ms);
