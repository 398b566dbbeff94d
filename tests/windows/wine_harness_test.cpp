// The Wine session the Windows tests run in (tests/windows/wine.bash, wine-prefix.sh): what the
// other tests take for granted. Run by e2e/wine_harness.sh, which also makes it fail and crash on
// purpose to see that both reach ctest.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>  // CommandLineToArgvW

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// A glyph's outline as GetGlyphOutlineW gives it for the show's font parameters (bold, ANSI
// character set, TrueType precision) and a face name; empty when there is no such glyph.
std::vector<char> outline(const wchar_t* face, wchar_t ch) {
    HDC dc = CreateCompatibleDC(nullptr);
    HFONT font = CreateFontW(-12, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_TT_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
    HGDIOBJ old = SelectObject(dc, font);
    GLYPHMETRICS metrics{};
    const MAT2 identity{{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    std::vector<char> data;
    const DWORD size = GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, 0, nullptr, &identity);
    if (size != GDI_ERROR && size > 0) {
        data.resize(size);
        GetGlyphOutlineW(dc, ch, GGO_NATIVE, &metrics, size, data.data(), &identity);
    }
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    return data;
}

TEST(WineSession, DesignFaceIsTheJapaneseGothic) {
    for (const wchar_t ch : {L'A', L'g', L'8'}) {
        const std::vector<char> ipa = outline(L"IPAGothic", ch);
        ASSERT_FALSE(ipa.empty()) << "IPAGothic is not installed (fonts-ipafont-gothic)";
        EXPECT_TRUE(outline(L"MS\u30b4\u30b7\u30c3\u30af", ch) == ipa) << "MSゴシック is not IPAGothic";
        EXPECT_TRUE(outline(L"MS Gothic", ch) == ipa) << "MS Gothic is not IPAGothic";
    }
}

TEST(WineSession, WindowsAreNotManaged) {
    // Managed=N: a window is destroyed at once rather than after waiting for a window manager.
    const DWORD start = GetTickCount();
    for (int i = 0; i < 3; ++i) {
        HWND window = CreateWindowExW(0, L"STATIC", L"harness", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        DestroyWindow(window);
    }
    EXPECT_LT(GetTickCount() - start, 3000u) << "three windows took " << GetTickCount() - start << " ms";
}

TEST(WineSession, UnicodeArgumentsArrive) {
    // e2e/wine_harness.sh passes "データ フォルダ" as the first argument.
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    ASSERT_NE(args, nullptr);
    const std::wstring first = count > 1 ? args[1] : L"";
    LocalFree(args);
    if (std::getenv("LUMIVANE_HARNESS_ARGUMENT")) {
        EXPECT_EQ(first, L"\u30c7\u30fc\u30bf \u30d5\u30a9\u30eb\u30c0");
    }
}

TEST(WineSession, PlantedFailureAndCrash) {
    // The script's checks that a failing or crashing test program fails its test.
    EXPECT_EQ(std::getenv("LUMIVANE_HARNESS_FAIL"), nullptr) << "failing as asked";
    if (std::getenv("LUMIVANE_HARNESS_CRASH")) {
        volatile int* nowhere = nullptr;
        *nowhere = 1;
    }
}

}  // namespace
