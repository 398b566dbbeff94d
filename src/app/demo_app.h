// The single application object and the program's start-up and shut-down sequence.
#pragma once
#include "app/gl_window.h"
#include "app/outline_font.h"

struct DemoApp {
    GLWindow window;
    OutlineFont font;
};
extern DemoApp demoApp;

// Opens the music, creates the window, sets the projection, builds the font, installs the
// callbacks, switches to full screen (unless windowed), hides the cursor and pumps until quit.
int runDemo();

// --window: stay in the window, no display-mode change.
void setWindowedMode(bool windowed);
// --size and --ssaa for the window: its client size, and the multisampling factor (0: four
// samples where the GL offers them, 1: none, 2..4: factor x factor samples, at most what the GL
// offers). The window can then be resized and maximised; the picture follows.
void setWindowPicture(int width, int height, int ssaa);
// What runDemo returns when the picture asked for cannot be made (nothing drawn): exit code 2.
inline constexpr int kPictureRefused = 2;
