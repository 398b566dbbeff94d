// What the web backend asks of the page around it (web/page.js, through web_page.js): the mode
// it was opened in, the document's title and full screen, messages shown on the page, the
// soundtrack in Web Audio, images the browser decoded, and the browser's turn between frames.
#pragma once
#include <cstddef>
#include <cstdint>

namespace platform {

// ?size= was given: the canvas keeps that drawing size and the page scales it.
bool pageFixedSize();
// ?still=1: the page waits for the first drawn frame, marks itself ready and draws no more.
bool pageStillMode();
bool pageHidden();  // the tab is not shown
bool pageFullScreen();
void setPageFullScreen(bool on);
void setPageTitle(const char* title);
void setPageCursor(bool visible);
// A message shown on the page until dismissed; the show goes on.
void pageMessage(const char* caption, const char* text);
// The frame is finished: the browser presents it, and the show resumes at its next animation
// frame (suspends the caller).
void pageFrameDone();
// Gives the browser its turn for about ms milliseconds (suspends the caller).
void pageSleep(int ms);

// The show is over and its context released: the page shows its closing screen.
void pageShowEnded();

// The soundtrack, decoded by the browser before the show started; host path of the show's file.
bool pageAudioOpen(const char* hostPath);
void pageAudioPlay(double fromMs);  // < 0: from where it stands
void pageAudioPause();
void pageAudioSeekStart();
void pageAudioClose();
bool pageAudioPlaying();
double pageAudioPositionMs();  // -1 when nothing is open

// The RGBA pixels (top row first) the browser decoded from exactly these bytes before the show
// started, in malloc'd memory the caller frees; null when the browser could not decode them.
uint8_t* pageDecodedImage(const uint8_t* bytes, std::size_t size, int32_t* width, int32_t* height);

}  // namespace platform
