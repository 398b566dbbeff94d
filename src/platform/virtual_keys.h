// Keys as the Windows virtual-key codes the show was written against: letters 'A'..'Z', digits
// '0'..'9', VK_F1 = 0x70 on, VK_SPACE 0x20, VK_PRIOR 0x21 .. VK_DOWN 0x28, VK_RETURN 0x0D,
// VK_ESCAPE 0x1B, VK_MENU 0x12 (either Alt), and so on. Escape is the only key whose code has 27
// in its low 8 bits, whatever the keyboard layout.
#pragma once
#include <cstdint>

namespace platform {

// Named codes the program looks at.
enum VirtualKey : uint32_t {
    kVkReturn = 0x0D,
    kVkShift = 0x10,
    kVkControl = 0x11,
    kVkMenu = 0x12,  // Alt
    kVkEscape = 0x1B,
    kVkSpace = 0x20,
    kVkPrior = 0x21,  // Page Up
    kVkNext = 0x22,   // Page Down
    kVkEnd = 0x23,
    kVkHome = 0x24,
    kVkLeft = 0x25,
    kVkUp = 0x26,
    kVkRight = 0x27,
    kVkDown = 0x28,
    kVkF1 = 0x70,
    kVkF11 = 0x7A,
    kVkNone = 0xFF,  // a key without a code of its own
};

// The virtual-key code of a key event: keycode is the layout's key symbol (an SDL keycode: the
// Unicode code point of the character for character keys), scancode the physical key (an SDL
// scancode, USB usage). Letters and digits go by the symbol, as Windows maps them; named keys by
// their own symbol; every other key (punctuation, letters outside A..Z of any script) by its
// physical place on a US keyboard, so that "ě" (U+011B) is the '2' key and never Escape.
uint32_t virtualKeyFor(int32_t keycode, int32_t scancode);

}  // namespace platform
