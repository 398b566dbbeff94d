// Key events to virtual-key codes: only Escape ends the show, whatever the keyboard layout, and
// the keys the player uses arrive as their Windows codes.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdlib>

#include "app/frame_driver.h"
#include "platform/virtual_keys.h"
#include "platform/window.h"

namespace {

struct Key {
    const char* what;
    SDL_Keycode symbol;
    SDL_Scancode place;
};

// Keys whose symbols have 27 (0x1B) in their low 8 bits: characters of Czech, Romanian, Arabic and
// Thai layouts, and the application launch key. The places are where those layouts put them;
// the unknown place stands for a key the layout alone knows.
const Key kLowByte27[] = {
    {"Czech e with caron U+011B", 0x011B, SDL_SCANCODE_2},
    {"Romanian t with comma U+021B", 0x021B, SDL_SCANCODE_APOSTROPHE},
    {"Arabic semicolon U+061B", 0x061B, SDL_SCANCODE_GRAVE},
    {"Thai po pla U+0E1B", 0x0E1B, SDL_SCANCODE_Z},
    {"U+011B at no known place", 0x011B, SDL_SCANCODE_UNKNOWN},
    {"application launch key", SDLK_APP1, SDL_SCANCODE_APP1},
};

bool quits(uint32_t code) {
    platform::resetMessageQueue();
    onKeyDown(code);
    const bool quit = platform::quitPosted();
    platform::resetMessageQueue();
    return quit;
}

}  // namespace

TEST(VirtualKeys, KeysOfOtherLayoutsDoNotQuitAndEscapeDoes) {
    for (const Key& key : kLowByte27) {
        ASSERT_EQ(key.symbol & 0xff, 27) << key.what;  // the case the translation must handle
        const uint32_t code = platform::virtualKeyFor(key.symbol, key.place);
        EXPECT_NE(code & 0xff, 27u) << key.what;
        EXPECT_FALSE(quits(code)) << key.what;
    }
    EXPECT_EQ(platform::virtualKeyFor(0x011B, SDL_SCANCODE_2), 0x32u) << "the '2' key of a Czech keyboard";
    EXPECT_EQ(platform::virtualKeyFor(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE), 0x1Bu);
    EXPECT_TRUE(quits(platform::virtualKeyFor(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE)));
    // A layout that puts Escape on Caps Lock names it Escape; one that names the Escape place
    // otherwise does not quit there.
    EXPECT_TRUE(quits(platform::virtualKeyFor(SDLK_ESCAPE, SDL_SCANCODE_CAPSLOCK)));
    EXPECT_FALSE(quits(platform::virtualKeyFor(0x011B, SDL_SCANCODE_ESCAPE)));
}

TEST(VirtualKeys, PlayerKeysGiveTheirWindowsCodes) {
    struct Expect {
        SDL_Keycode symbol;
        SDL_Scancode place;
        uint32_t code;
    };
    const Expect table[] = {
        {SDLK_SPACE, SDL_SCANCODE_SPACE, 0x20},       {SDLK_PAGEUP, SDL_SCANCODE_PAGEUP, 0x21},
        {SDLK_PAGEDOWN, SDL_SCANCODE_PAGEDOWN, 0x22}, {SDLK_END, SDL_SCANCODE_END, 0x23},
        {SDLK_HOME, SDL_SCANCODE_HOME, 0x24},         {SDLK_LEFT, SDL_SCANCODE_LEFT, 0x25},
        {SDLK_UP, SDL_SCANCODE_UP, 0x26},             {SDLK_RIGHT, SDL_SCANCODE_RIGHT, 0x27},
        {SDLK_DOWN, SDL_SCANCODE_DOWN, 0x28},         {SDLK_RETURN, SDL_SCANCODE_RETURN, 0x0D},
        {SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, 0x0D}, {SDLK_F1, SDL_SCANCODE_F1, 0x70},
        {SDLK_F11, SDL_SCANCODE_F11, 0x7A},           {SDLK_F12, SDL_SCANCODE_F12, 0x7B},
        {SDLK_f, SDL_SCANCODE_F, 'F'},                {SDLK_h, SDL_SCANCODE_H, 'H'},
        {SDLK_a, SDL_SCANCODE_Q, 'A'},  // an AZERTY A goes by its letter, as on Windows
        {SDLK_0, SDL_SCANCODE_0, '0'},                {SDLK_9, SDL_SCANCODE_9, '9'},
        {SDLK_LALT, SDL_SCANCODE_LALT, 0x12},         {SDLK_RALT, SDL_SCANCODE_RALT, 0x12},
        {SDLK_SEMICOLON, SDL_SCANCODE_SEMICOLON, 0xBA}, {SDLK_KP_1, SDL_SCANCODE_KP_1, 0x61},
        {SDLK_APPLICATION, SDL_SCANCODE_APPLICATION, 0x5D},
    };
    for (const Expect& e : table) {
        EXPECT_EQ(platform::virtualKeyFor(e.symbol, e.place), e.code) << SDL_GetKeyName(e.symbol);
        EXPECT_FALSE(quits(e.code)) << SDL_GetKeyName(e.symbol);
    }
}

TEST(VirtualKeys, EveryScancodeExceptEscapesOwnGivesACodeThatDoesNotQuit) {
    for (int place = 0; place < SDL_NUM_SCANCODES; ++place) {
        const auto scancode = static_cast<SDL_Scancode>(place);
        const SDL_Keycode symbol = SDL_SCANCODE_TO_KEYCODE(scancode);
        const uint32_t code = platform::virtualKeyFor(symbol, scancode);
        if (scancode == SDL_SCANCODE_ESCAPE) continue;
        EXPECT_NE(code & 0xff, 27u) << "scancode " << place;
    }
}

// The whole road of a key: an SDL key event through the pump into the key-down callback.
TEST(VirtualKeys, KeyEventsThroughThePump) {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(platform::displayAvailable()) << platform::lastWindowError();
    auto push = [](SDL_Keycode symbol, SDL_Scancode place) {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.state = SDL_PRESSED;
        event.key.keysym.sym = symbol;
        event.key.keysym.scancode = place;
        ASSERT_EQ(SDL_PushEvent(&event), 1) << SDL_GetError();
    };
    platform::WindowMessage message;
    while (platform::peekMessage(message)) {
    }
    // SDL may report one empty poll for the round it has already pumped.
    auto next = [&] { return platform::peekMessage(message) || platform::peekMessage(message); };
    push(0x011B, SDL_SCANCODE_2);
    ASSERT_TRUE(next());
    EXPECT_EQ(message.kind, platform::WindowMessage::KeyDown);
    EXPECT_EQ(message.key, 0x32u);
    push(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    ASSERT_TRUE(next());
    EXPECT_EQ(message.key, 27u);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
}
