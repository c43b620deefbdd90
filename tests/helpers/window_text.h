#pragma once
// Reading window texts for the window test tools (window_probe,
// window_click). Windows of other processes are asked with a time limit:
// a hung or dying process elsewhere on the display must not hold up a tool.

#include <windows.h>

#include <cstdio>
#include <string>

inline std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

inline std::wstring TextOf(HWND hwnd) {
    wchar_t buf[4096];
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 1000, &n))
        return {};
    return std::wstring(buf, n < 4096 ? size_t(n) : 0);
}

// EnumChildWindows callback: prints every child's text that is not empty.
inline BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    const std::wstring text = TextOf(child);
    if (!text.empty()) std::printf("  text: %s\n", Utf8(text).c_str());
    return TRUE;
}
