// SDL key symbols and scancodes to Windows virtual-key codes.
#include "platform/virtual_keys.h"

#include <SDL.h>

namespace platform {
namespace {

// The code of a physical key by its place on a US keyboard; kVkNone for keys Windows has no
// code for.
uint32_t virtualKeyForScancode(int32_t scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z)
        return 'A' + static_cast<uint32_t>(scancode - SDL_SCANCODE_A);
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9)
        return '1' + static_cast<uint32_t>(scancode - SDL_SCANCODE_1);
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12)
        return kVkF1 + static_cast<uint32_t>(scancode - SDL_SCANCODE_F1);
    if (scancode >= SDL_SCANCODE_F13 && scancode <= SDL_SCANCODE_F24)
        return 0x7C + static_cast<uint32_t>(scancode - SDL_SCANCODE_F13);
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9)
        return 0x61 + static_cast<uint32_t>(scancode - SDL_SCANCODE_KP_1);  // VK_NUMPAD1..
    switch (scancode) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_RETURN:
    case SDL_SCANCODE_KP_ENTER:
    case SDL_SCANCODE_RETURN2: return kVkReturn;
    case SDL_SCANCODE_ESCAPE: return kVkEscape;
    case SDL_SCANCODE_BACKSPACE: return 0x08;
    case SDL_SCANCODE_TAB: return 0x09;
    case SDL_SCANCODE_SPACE: return kVkSpace;
    case SDL_SCANCODE_MINUS: return 0xBD;         // VK_OEM_MINUS
    case SDL_SCANCODE_EQUALS: return 0xBB;        // VK_OEM_PLUS
    case SDL_SCANCODE_LEFTBRACKET: return 0xDB;   // VK_OEM_4
    case SDL_SCANCODE_RIGHTBRACKET: return 0xDD;  // VK_OEM_6
    case SDL_SCANCODE_BACKSLASH:
    case SDL_SCANCODE_NONUSHASH: return 0xDC;     // VK_OEM_5
    case SDL_SCANCODE_SEMICOLON: return 0xBA;     // VK_OEM_1
    case SDL_SCANCODE_APOSTROPHE: return 0xDE;    // VK_OEM_7
    case SDL_SCANCODE_GRAVE: return 0xC0;         // VK_OEM_3
    case SDL_SCANCODE_COMMA: return 0xBC;         // VK_OEM_COMMA
    case SDL_SCANCODE_PERIOD: return 0xBE;        // VK_OEM_PERIOD
    case SDL_SCANCODE_SLASH: return 0xBF;         // VK_OEM_2
    case SDL_SCANCODE_NONUSBACKSLASH: return 0xE2;  // VK_OEM_102
    case SDL_SCANCODE_CAPSLOCK: return 0x14;
    case SDL_SCANCODE_PRINTSCREEN: return 0x2C;   // VK_SNAPSHOT
    case SDL_SCANCODE_SCROLLLOCK: return 0x91;
    case SDL_SCANCODE_PAUSE: return 0x13;
    case SDL_SCANCODE_INSERT: return 0x2D;
    case SDL_SCANCODE_HOME: return kVkHome;
    case SDL_SCANCODE_PAGEUP: return kVkPrior;
    case SDL_SCANCODE_DELETE: return 0x2E;
    case SDL_SCANCODE_END: return kVkEnd;
    case SDL_SCANCODE_PAGEDOWN: return kVkNext;
    case SDL_SCANCODE_RIGHT: return kVkRight;
    case SDL_SCANCODE_LEFT: return kVkLeft;
    case SDL_SCANCODE_DOWN: return kVkDown;
    case SDL_SCANCODE_UP: return kVkUp;
    case SDL_SCANCODE_NUMLOCKCLEAR: return 0x90;
    case SDL_SCANCODE_KP_DIVIDE: return 0x6F;
    case SDL_SCANCODE_KP_MULTIPLY: return 0x6A;
    case SDL_SCANCODE_KP_MINUS: return 0x6D;
    case SDL_SCANCODE_KP_PLUS: return 0x6B;
    case SDL_SCANCODE_KP_0: return 0x60;          // VK_NUMPAD0
    case SDL_SCANCODE_KP_PERIOD: return 0x6E;     // VK_DECIMAL
    case SDL_SCANCODE_APPLICATION:
    case SDL_SCANCODE_MENU: return 0x5D;          // VK_APPS
    case SDL_SCANCODE_EXECUTE: return 0x2B;
    case SDL_SCANCODE_HELP: return 0x2F;
    case SDL_SCANCODE_SELECT: return 0x29;
    case SDL_SCANCODE_CLEAR: return 0x0C;
    case SDL_SCANCODE_LCTRL:
    case SDL_SCANCODE_RCTRL: return kVkControl;
    case SDL_SCANCODE_LSHIFT:
    case SDL_SCANCODE_RSHIFT: return kVkShift;
    case SDL_SCANCODE_LALT:
    case SDL_SCANCODE_RALT: return kVkMenu;
    case SDL_SCANCODE_LGUI: return 0x5B;          // VK_LWIN
    case SDL_SCANCODE_RGUI: return 0x5C;          // VK_RWIN
    case SDL_SCANCODE_SLEEP: return 0x5F;
    case SDL_SCANCODE_AC_BACK: return 0xA6;       // VK_BROWSER_BACK
    case SDL_SCANCODE_AC_FORWARD: return 0xA7;
    case SDL_SCANCODE_AC_REFRESH: return 0xA8;
    case SDL_SCANCODE_AC_STOP: return 0xA9;
    case SDL_SCANCODE_AC_SEARCH: return 0xAA;
    case SDL_SCANCODE_AC_BOOKMARKS: return 0xAB;
    case SDL_SCANCODE_AC_HOME: return 0xAC;
    case SDL_SCANCODE_MUTE:
    case SDL_SCANCODE_AUDIOMUTE: return 0xAD;
    case SDL_SCANCODE_VOLUMEDOWN: return 0xAE;
    case SDL_SCANCODE_VOLUMEUP: return 0xAF;
    case SDL_SCANCODE_AUDIONEXT: return 0xB0;
    case SDL_SCANCODE_AUDIOPREV: return 0xB1;
    case SDL_SCANCODE_AUDIOSTOP: return 0xB2;
    case SDL_SCANCODE_AUDIOPLAY: return 0xB3;
    case SDL_SCANCODE_MAIL: return 0xB4;
    case SDL_SCANCODE_MEDIASELECT: return 0xB5;
    case SDL_SCANCODE_APP1:
    case SDL_SCANCODE_COMPUTER: return 0xB6;      // VK_LAUNCH_APP1
    case SDL_SCANCODE_APP2:
    case SDL_SCANCODE_CALCULATOR: return 0xB7;    // VK_LAUNCH_APP2
    default: return kVkNone;
    }
}

}  // namespace

uint32_t virtualKeyFor(int32_t keycode, int32_t scancode) {
    if (keycode >= 'a' && keycode <= 'z') return static_cast<uint32_t>(keycode - 'a' + 'A');
    if (keycode >= '0' && keycode <= '9') return static_cast<uint32_t>(keycode);
    // Keys without a character carry their scancode in the symbol; so do the control characters
    // a layout may move (Escape on Caps Lock): those go by the symbol.
    switch (keycode) {
    case SDLK_ESCAPE: return kVkEscape;
    case SDLK_RETURN: return kVkReturn;
    case SDLK_SPACE: return kVkSpace;
    case SDLK_BACKSPACE: return 0x08;
    case SDLK_TAB: return 0x09;
    case SDLK_DELETE: return 0x2E;
    default: break;
    }
    if (keycode & SDLK_SCANCODE_MASK) {
        const uint32_t vk = virtualKeyForScancode(keycode & ~SDLK_SCANCODE_MASK);
        if (vk != kVkNone) return vk;
    }
    // Punctuation and the letters of other scripts: where the key sits.
    const uint32_t vk = virtualKeyForScancode(scancode);
    // Escape's own place counts only when the layout names it Escape (handled above).
    return vk == kVkEscape ? kVkNone : vk;
}

}  // namespace platform
