// The private messages of the main window, its timers and its controls.

#include "logic/logic.h"

#include "logic/control_ids.h"
#include "startup/format_text.h"

namespace {

// The assistant reports its progress as work result 6.
constexpr WPARAM kAssistantProgress = 6;

}  // namespace

void CLogic::ShowWorkProgress(int percent) {
    // Only the installing page (9) and the single page show this progress.
    if (!ctx_.theme.singlePageMode && flow_.CurrentPage() != kPageAssistantProgress) return;
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    const char* bar = ctx_.theme.singlePageMode ? "single_install_progress" : "progress_progress";
    const char* label = ctx_.theme.singlePageMode ? "single_install_text_progress_info" : "progress_info";
    ctx_.wizard.SetProgress(ControlIdForFunc(bar), percent);
    ctx_.wizard.SetText(ControlIdForFunc(label), FormatText(GetString(17).c_str(), percent, L"%"));
}

void CLogic::OnControl(int id) { flow_.OnBtnClicked(id); }

void CLogic::OnTimer(UINT_PTR id) {
    server_.OnTimer(id);
}

LRESULT CLogic::OnUserMessage(UINT message, WPARAM w, LPARAM l) {
    // Once the exit has begun, late worker results must not restart a flow.
    if (ctx_.closing || message == WM_COPYDATA) return 0;
    switch (message) {
    case eWindowsMessage_LauncherAssistantNoRights:
        flow_.ShowMessage(GetString(106), kActionRetryAssistant, mbbRetry | mbbCancel, true);
        return 0;
    case eWindowsMessage_Exit:
        client_.OnExitRequest(w);
        return 0;
    case eWindowsMessage_ClientStartFailed:
        client_.OnClientStartFailed();
        return 0;
    case eWindowsMessage_LauncherAssistantInitResult:
        assistant_.OnAssistantInitResult(w, l);
        return 0;
    case eWindowsMessage_LauncherAssistantWorkResult:
        if (w == kAssistantProgress) {
            ShowWorkProgress(int(l));
            return 0;
        }
        assistant_.OnAssistantWorkResult(w, l);
        return 0;
    case eWindowsMessage_UninstallProgress:
        ShowWorkProgress(int(l));
        return 0;
    case eWindowsMessage_UninstallFinished:
        uninstallation_.OnThreadFinished(l);
        return 0;
    case eWindowsMessage_DownloadProgress:
    case eWindowsMessage_DownloadComplete:
        server_.downloader().HandleMessage(message, w, l);
        return 0;
    case eWindowsMessage_Activate:
        tray_.ShowTrayIcon(false);
        tray_.ShowMainWindow(true);
        return 0;
    case eWindowsMessage_IconTrayCallbackMessage:
        tray_.OnTrayCallback(l);
        return 0;
    case eWindowsMessage_SilentDownloadQuery:
        client_.AnswerSilentDownload();
        return 0;
    case eWindowsMessage_SilentDownloadOff:
        client_.SetSilentDownload(false);
        return 0;
    case eWindowsMessage_CheckFinished:
        update_.OnCheckFinished(w, l);
        return 0;
    case eWindowsMessage_UnpackFinished:
        update_.OnUnpackFinished(l);
        return 0;
    case eWindowsMessage_UnpackProgress:
        downloads_.OnUnpackProgress(UnpackProgressBytes(w, l));
        return 0;
    case eWindowsMessage_ClientTask:
        tasks_.OnClientTask(w, l);
        return 0;
    default:
        return 0;
    }
}
