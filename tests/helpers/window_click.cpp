// Test helper: waits for a visible top-level window that shows a given
// text in one of its controls (for example a message of the launcher),
// prints the window's texts and clicks its control with a given
// identifier, as a user would.
//
// usage: window_click <text prefix> <control id> <timeout-ms> [<edit id> <text>]
// The prefix may list several alternatives separated by '|'.
// With an edit control and a text, types the text into that control first.
// Exit code 0 when the control was clicked, 1 otherwise.

#include "window_text.h"

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    std::wstring prefixes;
    HWND window = nullptr;
    bool childFound = false;
};

bool StartsWithOneOf(const std::wstring& text, const std::wstring& prefixes) {
    size_t start = 0;
    for (;;) {
        const size_t bar = prefixes.find(L'|', start);
        const std::wstring prefix = prefixes.substr(start, bar == std::wstring::npos ? bar : bar - start);
        if (!prefix.empty() && text.compare(0, prefix.size(), prefix) == 0) return true;
        if (bar == std::wstring::npos) return false;
        start = bar + 1;
    }
}

BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    s->childFound = StartsWithOneOf(TextOf(child), s->prefixes);
    return !s->childFound;
}

BOOL CALLBACK FindTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(hwnd)) return TRUE;
    s->childFound = false;
    EnumChildWindows(hwnd, FindChild, param);
    if (!s->childFound) return TRUE;
    s->window = hwnd;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_click <text prefix> <control id> <timeout-ms> [<edit id> <text>]\n");
        return 2;
    }
    Search s{argv[1]};
    const int id = _wtoi(argv[2]);
    const ULONGLONG end = GetTickCount64() + _wtoi(argv[3]);
    while (!s.window && GetTickCount64() < end) {
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
        if (!s.window) Sleep(100);
    }
    if (!s.window) {
        std::printf("no window shows \"%s\"\n", Utf8(s.prefixes).c_str());
        return 1;
    }
    std::printf("window: %s\n", Utf8(TextOf(s.window)).c_str());
    EnumChildWindows(s.window, PrintChild, 0);
    if (argc > 5) {
        HWND edit = GetDlgItem(s.window, _wtoi(argv[4]));
        DWORD_PTR ignored = 0;
        if (!edit || !SendMessageTimeoutW(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[5]), SMTO_ABORTIFHUNG,
                                          5000, &ignored)) {
            std::printf("control %ls could not take the text\n", argv[4]);
            return 1;
        }
    }
    HWND control = GetDlgItem(s.window, id);
    DWORD_PTR result = 0;
    if (!control || !SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) {
        std::printf("control %d could not be clicked\n", id);
        return 1;
    }
    std::printf("clicked %d\n", id);
    return 0;
}
