#pragma once
// Starts the game client and waits until it says it is up. Created by the
// logic object on the UI thread; the thread owns copies of its strings and
// reports only by posting eWindowsMessage_Exit (wParam 0: the client set
// its start event) or eWindowsMessage_ClientStartFailed to the main window.

#include "startup/thread.h"

#include <string>

class CClientLaunchThread : public CThread {
public:
    // The event the client sets once it has started.
    static constexpr const char* kStartEventName = "{E44BFF50-25BA-49A3-9C71-EBC1AAC8D22E}";

    CClientLaunchThread(std::wstring commandLine, HWND window, std::wstring clientPath, DWORD waitLimit = 120000);
    ~CClientLaunchThread() override;

    void Run() override;

private:
    std::wstring commandLine_;
    HWND window_;
    std::wstring clientPath_;
    DWORD waitLimit_;
};
