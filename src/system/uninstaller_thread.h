#pragma once
// The removal of a portable installation on a worker thread: its files
// (sparing the launcher until the end), the user's shortcuts of the
// launcher and of the installation's programs, then the folder. It reports
// progress (0xA44) and its end (0xA42, lParam 1 on failure or cancel) to
// the launcher's window; after Cancel it posts nothing more.
//
// Owned by the launcher's uninstallation flow: the UI thread calls Start
// (the input is copied before the thread exists, so the thread never
// shares it), Cancel and Stop. The cancel flag is the only state both
// threads touch; it is atomic.

#include "startup/thread.h"
#include "system/assistant_progress.h"

#include <windows.h>

#include <atomic>
#include <string>

struct UninstallerInput {
    HWND hwnd = nullptr;
    std::wstring shortcutPath;  // the desktop shortcut path from "/ug", quotes kept
    std::wstring folder;
    std::wstring launcherName;
    std::wstring fullName;      // the Programs sub-folder
};

class CUninstallerThread : public CThread {
public:
    CUninstallerThread() : CThread("Uninstaller") {}
    ~CUninstallerThread() override;

    bool Start(const UninstallerInput& input);
    void Cancel() { cancelled_ = true; }
    bool Stop(DWORD limit) override;

private:
    void Run() override;
    bool Uninstall();
    void Report(int percent);

    UninstallerInput input_;
    std::atomic<bool> cancelled_{false};
    CAssistantProgress progress_{CAssistantProgress::kUninstallerScale};
};
