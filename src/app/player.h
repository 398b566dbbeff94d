// The show in --window as a player: Space pauses and resumes, Left/Right and Down/Up seek by 1 s
// and 10 s, Page Up/Down go to scene starts, Home to the start, F/F11/Alt+Enter toggle full screen
// on the desktop, H shows a line with the demo time, scene, progress and frame rate, Escape quits
// as in the show. The soundtrack follows every pause, resume and jump; after a jump the first
// frame shows what playing through would show. The plain show keeps Escape alone.
#pragma once
#include <cstdint>

// The jumps the keys make.
enum class Jump { Back1s, Forward1s, Back10s, Forward10s, PreviousScene, NextScene, Start };

// The demo time a jump from t lands on, not below 0; kShowEnd or later means the show ends.
// PreviousScene goes to the start of t's scene, or of the one before within its first second.
double jumpTarget(Jump jump, double t);

// The display line at demo time t: "m:ss.mmm  scene k  u 0.123  fps 42".
void formatDisplayLine(char (&line)[96], double t, int fps);

struct PlayerState {
    bool installed = false;
    bool paused = false;
    double pausedAt = 0;           // frame clock reading when the pause began
    double heldT = 0;              // demo time of the picture held while paused
    bool seekedWhilePaused = false; // resume plays the soundtrack from heldT
    bool redraw = false;           // draw the held picture again (paused, after a seek, exposure)
    bool musicResync = false;      // the next frame tells the soundtrack where the show is
    bool minimized = false;
    bool displayLine = false;      // H
    double shownT = -1;            // demo time of the last picture drawn, -1 before the first
    double reelsBefore[5] = {};    // reel angles before that picture was drawn
    bool keyHeld[256] = {};        // by the low 8 bits of the key code: auto-repeat and Alt
    int fps = 0;                   // frames in the last measured second
    int framesCounted = 0;
    double countSince = -1;
    bool traceNext = false;        // LUMIVANE_PLAYER_TRACE: log the line of the next picture
};
extern PlayerState player;

// Puts the player's callbacks into the show window's slots (key down and up, paint, idle, resize).
void installPlayer();
void resetPlayer();  // back to the state before installation (tests)

void onPlayerKeyDown(uint32_t key);
void onPlayerKeyUp(uint32_t key);
void onPlayerPaint();
// The player's frame: as the show's, then the display line; held while paused, nothing drawn
// while minimised.
void onPlayerFrame();
