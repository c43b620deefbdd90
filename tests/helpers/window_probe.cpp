// Test and demo helper: waits for a visible top-level window with a given
// title, prints its title and the texts of its controls, optionally saves
// a picture of it as a BMP file, and closes it with WM_CLOSE.
//
// usage: window_probe <title> <timeout-ms> [picture.bmp [text]]
// With a text, waits (within the same time limit) until one of the
// window's controls shows it before reporting.
// Exit code 0 when the window was found and closed, 1 otherwise.

#include "startup/handle.h"
#include "window_text.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Search {
    std::wstring title;
    HWND found = nullptr;
};

BOOL CALLBACK FindTop(HWND hwnd, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    if (IsWindowVisible(hwnd) && TextOf(hwnd) == s->title) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

struct TextSearch {
    std::wstring text;
    bool found = false;
};

BOOL CALLBACK FindChildText(HWND child, LPARAM param) {
    auto* s = reinterpret_cast<TextSearch*>(param);
    if (TextOf(child) == s->text) s->found = true;
    return !s->found;
}

bool SavePicture(HWND hwnd, const wchar_t* path) {
    RECT r;
    GetWindowRect(hwnd, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return false;
    const CWindowDc screen = TakeWindowDc(nullptr);
    const CMemoryDc mem(CreateCompatibleDC(screen.Get().dc));
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const CGdiObject bmp(CreateDIBSection(screen.Get().dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bmp.IsValid()) return false;
    HGDIOBJ old = SelectObject(mem.Get(), bmp.Get());
    BitBlt(mem.Get(), 0, 0, w, h, screen.Get().dc, r.left, r.top, SRCCOPY);
    SelectObject(mem.Get(), old);
    GdiFlush();
    const DWORD stride = DWORD((w * 3 + 3) & ~3);
    const DWORD size = stride * DWORD(h);
    BITMAPFILEHEADER fh{0x4D42, DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + size), 0, 0,
                        DWORD(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
    bool ok = false;
    const CFile f(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (f.IsValid()) {
        DWORD n = 0;
        ok = WriteFile(f.Get(), &fh, sizeof fh, &n, nullptr) &&
             WriteFile(f.Get(), &bi.bmiHeader, sizeof bi.bmiHeader, &n, nullptr) &&
             WriteFile(f.Get(), bits, size, &n, nullptr);
    }
    return ok;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_probe <title> <timeout-ms> [picture.bmp [text]]\n");
        return 2;
    }
    Search s{argv[1]};
    const ULONGLONG end = GetTickCount64() + _wtoi(argv[2]);
    while (!s.found && GetTickCount64() < end) {
        EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
        if (!s.found) Sleep(100);
    }
    if (!s.found) {
        std::printf("no window titled \"%s\" appeared\n", Utf8(s.title).c_str());
        return 1;
    }
    if (argc > 4) {
        TextSearch t{argv[4]};
        while (!t.found && GetTickCount64() < end) {
            EnumChildWindows(s.found, FindChildText, reinterpret_cast<LPARAM>(&t));
            if (!t.found) Sleep(100);
        }
    }
    std::printf("window: %s\n", Utf8(s.title).c_str());
    EnumChildWindows(s.found, PrintChild, 0);
    if (argc > 3) {
        Sleep(300);  // let it finish painting
        std::printf("picture: %s\n", SavePicture(s.found, argv[3]) ? "saved" : "failed");
    }
    PostMessageW(s.found, WM_CLOSE, 0, 0);
    std::printf("closed\n");
    return 0;
}
