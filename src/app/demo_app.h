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
