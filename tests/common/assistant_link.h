#pragma once
// The launcher's half of the assistant link, played by a test: a hidden
// window that collects the assistant's messages and a pump that waits for
// them.

#include <windows.h>

#include <string>
#include <vector>

class CAssistantWindow {
public:
    struct Report {
        UINT message;
        WPARAM w;
        LPARAM l;
    };

    CAssistantWindow();
    ~CAssistantWindow();
    CAssistantWindow(const CAssistantWindow&) = delete;
    CAssistantWindow& operator=(const CAssistantWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Pumps this thread's messages until `message` arrives (for 0x915 a
    // report other than progress), or `ms` pass.
    bool WaitFor(UINT message, Report& out, DWORD ms);
    const std::vector<Report>& reports() const { return reports_; }
    // The next waits see only reports that arrive from now on.
    void Forget() { reports_.clear(); }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM w, LPARAM l);

    HWND hwnd_ = nullptr;
    std::vector<Report> reports_;
};

// Pumps messages until `done` holds or `ms` pass; says whether it held.
template <class Done>
bool PumpUntil(Done done, DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    while (!done()) {
        if (GetTickCount64() > end) return false;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
}

// The decimal text of a window handle, as the launcher passes it.
std::wstring HandleText(HWND hwnd);
