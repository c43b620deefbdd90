// Test helper: waits for a visible top-level window that shows a given
// text in one of its controls (for example a message of the launcher),
// prints the window's texts and clicks its control with a given
// identifier, as a user would.
//
// usage: window_click <text prefix> <control id> <timeout-ms>
// Exit code 0 when the control was clicked, 1 otherwise.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& w) {
    if (w.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), int(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buf[4096];
    const int n = GetWindowTextW(hwnd, buf, 4096);
    return std::wstring(buf, n > 0 ? n : 0);
}

struct Search {
    std::wstring prefix;
    HWND window = nullptr;
    bool childFound = false;
};

BOOL CALLBACK FindChild(HWND child, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    s->childFound = TextOf(child).compare(0, s->prefix.size(), s->prefix) == 0;
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

BOOL CALLBACK PrintChild(HWND child, LPARAM) {
    const std::wstring text = TextOf(child);
    if (!text.empty()) std::printf("  text: %s\n", Utf8(text).c_str());
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: window_click <text prefix> <control id> <timeout-ms>\n");
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
        std::printf("no window shows \"%s\"\n", Utf8(s.prefix).c_str());
        return 1;
    }
    std::printf("window: %s\n", Utf8(TextOf(s.window)).c_str());
    EnumChildWindows(s.window, PrintChild, 0);
    HWND control = GetDlgItem(s.window, id);
    DWORD_PTR result = 0;
    if (!control || !SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &result)) {
        std::printf("control %d could not be clicked\n", id);
        return 1;
    }
    std::printf("clicked %d\n", id);
    return 0;
}
