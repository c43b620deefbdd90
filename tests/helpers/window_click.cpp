// Test helper: clicks a control of the launcher's skinned window as a user
// would, with real mouse input at the control's place; optionally types a
// text into it first. The window draws its controls itself (it has no child
// windows), so the caller names the control by its rectangle in design
// pixels, read from the theme.
//
// usage: window_click <window class> <x> <y> <w> <h> <timeout-ms> [<text>]
// Waits for a visible top-level window of the class whose rectangle holds
// the control's centre, lets its page settle and clicks the centre. With a
// text: clicks, selects what the box holds (Ctrl+A) and types the text.
// Exit code 0 when the input was sent, 1 when no window came in time.

#include "startup/handle.h"
#include "window_text.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The window's paint timer ticks every 10 ms: pauses of 100 ms let it and
// the message loop see hover, press and release as separate states.
constexpr DWORD kStepMs = 100;
// A page switch (the message page replacing the progress page) finishes
// within a few ticks after the window shows.
constexpr DWORD kSettleMs = 300;
// Between typed characters: a key stroke each, not a burst.
constexpr DWORD kKeyMs = 10;

// Design pixels to window pixels, as the launcher scales: screen DPI / 96.
double UiScale() {
    const CWindowDc screen = TakeWindowDc(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen.Get().dc, LOGPIXELSX) : 0;
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

struct Target {
    const wchar_t* windowClass;
    double x, y;  // the control's centre in design pixels
};

// The first visible window of the class whose rectangle holds the point.
HWND FindWindowAt(const Target& t, double scale, POINT& point) {
    for (HWND hwnd = nullptr; (hwnd = FindWindowExW(nullptr, hwnd, t.windowClass, nullptr)) != nullptr;) {
        RECT r{};
        if (!IsWindowVisible(hwnd) || !GetWindowRect(hwnd, &r)) continue;
        point.x = r.left + LONG(t.x * scale);
        point.y = r.top + LONG(t.y * scale);
        if (PtInRect(&r, point)) return hwnd;
    }
    return nullptr;
}

// Absolute mouse coordinates (0..65535 over the primary screen), rounded
// up so that the system's scaling back lands on the same pixel.
LONG Normalized(LONG value, int extent) {
    return extent > 0 ? LONG((LONGLONG(value) * 65536 + extent - 1) / extent) : 0;
}

bool Send(std::vector<INPUT> inputs) {
    return SendInput(UINT(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

INPUT Mouse(DWORD flags, POINT at) {
    INPUT in{};
    in.type = INPUT_MOUSE;
    in.mi.dx = Normalized(at.x, GetSystemMetrics(SM_CXSCREEN));
    in.mi.dy = Normalized(at.y, GetSystemMetrics(SM_CYSCREEN));
    in.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    return in;
}

INPUT Key(WORD vk, WORD scan, DWORD flags) {
    INPUT in{};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = scan;
    in.ki.dwFlags = flags;
    return in;
}

bool Click(POINT at) {
    SetCursorPos(at.x, at.y);
    if (!Send({Mouse(MOUSEEVENTF_MOVE, at)})) return false;
    Sleep(kStepMs);
    POINT cursor{};
    GetCursorPos(&cursor);
    std::printf("mouse at %ld,%ld\n", cursor.x, cursor.y);
    if (!Send({Mouse(MOUSEEVENTF_LEFTDOWN, at)})) return false;
    Sleep(kStepMs);
    if (!Send({Mouse(MOUSEEVENTF_LEFTUP, at)})) return false;
    Sleep(kStepMs);
    return true;
}

// Ctrl+A, then every character as a Unicode key stroke: the box receives
// WM_CHAR for each, whatever the keyboard layout.
bool Type(const std::wstring& text) {
    if (!Send({Key(VK_CONTROL, 0, 0), Key('A', 0, 0), Key('A', 0, KEYEVENTF_KEYUP),
               Key(VK_CONTROL, 0, KEYEVENTF_KEYUP)}))
        return false;
    Sleep(kStepMs);
    for (wchar_t c : text) {
        if (!Send({Key(0, c, KEYEVENTF_UNICODE), Key(0, c, KEYEVENTF_UNICODE | KEYEVENTF_KEYUP)})) return false;
        Sleep(kKeyMs);
    }
    Sleep(kStepMs);
    return true;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 7 && argc != 8) {
        std::fprintf(stderr, "usage: window_click <window class> <x> <y> <w> <h> <timeout-ms> [<text>]\n");
        return 2;
    }
    // Unbuffered, so that what a killed or crashed helper had done before
    // still reaches the caller.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    // Window rectangles and the cursor in real pixels, as the launcher's.
    SetProcessDPIAware();
    const int x = _wtoi(argv[2]), y = _wtoi(argv[3]), w = _wtoi(argv[4]), h = _wtoi(argv[5]);
    const Target target{argv[1], x + w / 2.0, y + h / 2.0};
    const ULONGLONG end = GetTickCount64() + ULONGLONG(_wtoi(argv[6]));
    const double scale = UiScale();

    POINT at{};
    HWND window = nullptr;
    while (!(window = FindWindowAt(target, scale, at)) && GetTickCount64() < end) Sleep(kStepMs);
    if (!window) {
        std::printf("no visible %s window holds the control at %d,%d %dx%d (scale %.2f)\n",
                    Utf8(target.windowClass).c_str(), x, y, w, h, scale);
        return 1;
    }
    Sleep(kSettleMs);
    // The window may have moved or changed its page meanwhile.
    if (!(window = FindWindowAt(target, scale, at))) {
        std::printf("the %s window went away or shrank\n", Utf8(target.windowClass).c_str());
        return 1;
    }
    RECT r{};
    GetWindowRect(window, &r);
    std::printf("window \"%s\" at %ld,%ld %ldx%ld, scale %.2f\n", Utf8(TextOf(window)).c_str(), r.left, r.top,
                r.right - r.left, r.bottom - r.top, scale);
    std::printf("control %d,%d %dx%d: clicking %ld,%ld\n", x, y, w, h, at.x, at.y);
    if (!Click(at)) {
        std::printf("the input could not be sent (error %lu)\n", GetLastError());
        return 1;
    }
    if (argc == 8) {
        if (!Type(argv[7])) {
            std::printf("the text could not be typed (error %lu)\n", GetLastError());
            return 1;
        }
        std::printf("typed \"%s\"\n", Utf8(argv[7]).c_str());
    }
    std::printf("clicked\n");
    return 0;
}
