#pragma once
// The launcher's side of an uninstallation: the hand-over to a temporary
// copy (the launcher cannot delete the folder it runs from), the removal
// itself, through the assistant for a standard installation and the
// uninstaller thread for a portable one, and the result page. Owned by
// CLogic; UI thread only. Owns the uninstaller thread, which reports back
// through messages 0xA44 (progress, shown by the logic object) and 0xA42.

#include "logic/logic_context.h"
#include "system/uninstaller_thread.h"

class CUninstallation {
public:
    explicit CUninstallation(LogicContext& ctx) : ctx_(ctx) {}

    // "/uninstall": copies the launcher to the temporary folder and starts
    // the copy on this installation's folder; false (with the error shown)
    // when the copy cannot be made or started.
    bool StartTemporaryUninstaller();
    // The wizard's Uninstall.
    void ProcessUninstall();
    // The assistant's answer to the uninstall command.
    void OnAssistantResult(int32_t result);
    // The uninstaller thread's end (0xA42): lParam 0 on success.
    void OnThreadFinished(LPARAM result);
    // The window closes: the thread stops at its next step and posts nothing.
    void Cancel() { thread_.Cancel(); }
    void StopThread(DWORD limit) { thread_.Stop(limit); }

private:
    void FinishUninstall(bool success);
    void ShowResult(int stringId);

    LogicContext& ctx_;
    CUninstallerThread thread_;
};
