// Test helper: waits for a visible system dialog (window class "#32770",
// such as the folder picker) and presses its OK button, as a user who
// accepts what the dialog shows.
// usage: dialog_ok <timeout-ms>; exit code 0 when a dialog was found and
// its OK pressed, 1 otherwise.

#include "window_text.h"

#include <windows.h>

#include <cstdio>

namespace {

BOOL CALLBACK FindDialog(HWND hwnd, LPARAM param) {
    wchar_t name[16] = {};
    GetClassNameW(hwnd, name, 16);
    if (!IsWindowVisible(hwnd) || lstrcmpW(name, L"#32770") != 0 || !GetDlgItem(hwnd, IDOK)) return TRUE;
    *reinterpret_cast<HWND*>(param) = hwnd;
    return FALSE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialog_ok <timeout-ms>\n");
        return 2;
    }
    HWND dialog = nullptr;
    const ULONGLONG end = GetTickCount64() + _wtoi(argv[1]);
    while (!dialog && GetTickCount64() < end) {
        EnumWindows(FindDialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) Sleep(100);
    }
    if (!dialog) {
        std::printf("no dialog appeared\n");
        return 1;
    }
    std::printf("dialog: %s\n", Utf8(TextOf(dialog)).c_str());
    Sleep(500);  // the dialog selects its starting folder once it is shown
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    std::printf("OK pressed\n");
    return 0;
}
