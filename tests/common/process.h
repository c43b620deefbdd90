#pragma once
// Running the real Launcher.exe in tests and driving the windows it shows
// through ordinary UI automation (window enumeration, texts, WM_CLOSE).

#include "startup/handle.h"

#include <string>
#include <vector>

// A program built beside the test executable, and Launcher.exe.
std::wstring BuiltProgramPath(const std::wstring& name);
std::wstring BuiltLauncherPath();

class CChildProcess {
public:
    // Starts `exe` with `arguments` (the command-line tail) in `workDir`.
    bool Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& workDir = L"");
    ~CChildProcess();
    // Exit code, or -1 when it did not end within `ms`.
    long Wait(DWORD ms);
    DWORD id() const { return id_; }

private:
    CHandle process_;
    DWORD id_ = 0;
};

struct FoundWindow {
    HWND hwnd = nullptr;
    std::wstring title;
    std::vector<std::wstring> texts;  // texts of its child controls
};

// Waits for a visible top-level window of `pid` with this title.
FoundWindow WaitForProcessWindowTitle(DWORD pid, const std::wstring& title, DWORD ms);
// Waits for a visible top-level window of `pid` one of whose controls shows `text`.
FoundWindow WaitForProcessWindowText(DWORD pid, const std::wstring& text, DWORD ms);
// All visible top-level windows of process `pid` right now.
std::vector<FoundWindow> ProcessWindows(DWORD pid);
