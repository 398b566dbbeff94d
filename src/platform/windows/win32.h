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

// A UTF-8 path as an absolute extended-length one ("\\\\?\\C:\\..."), which the file calls take beyond
// MAX_PATH characters.
std::wstring widePath(const std::string& utf8);
// The system's text for an error code (GetLastError), in English where the system has it.
std::string systemReason(DWORD code);

// The instance handle of the program, for window classes.
HINSTANCE instance();

}  // namespace platform::win32

namespace platform {
// The show's window while it exists, as the owner of message boxes; null otherwise.
HWND messageBoxOwner();

}  // namespace platform::win32
