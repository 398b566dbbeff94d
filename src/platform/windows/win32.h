// What the Windows backend shares: <windows.h> without the GL macros the build predefines (they
// keep <GL/gl.h> from pulling <windows.h> into the portable sources), and UTF-8 <-> UTF-16.
#pragma once
#undef APIENTRY
#undef CALLBACK
#undef WINGDIAPI
#include <windows.h>

#include <string>

namespace platform::win32 {

std::wstring wide(const std::string& utf8);
std::string utf8(const wchar_t* text, int length = -1);
inline std::string utf8(const std::wstring& text) { return utf8(text.c_str(), static_cast<int>(text.size())); }

// The instance handle of the program, for window classes.
HINSTANCE instance();

}  // namespace platform::win32

namespace platform {
// The show's window while it exists, as the owner of message boxes; null otherwise.
HWND messageBoxOwner();

}  // namespace platform::win32
