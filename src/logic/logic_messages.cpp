// The private messages of the main window, its timers and its controls.

#include "logic.h"

#include "logic/control_ids.h"
#include "startup/format_text.h"


namespace {

const wchar_t* MessageName(UINT message) {
    switch (message) {
    case eWindowsMessage_UninstallFinished: return L"eWindowsMessage_UninstallFinished";
    case eWindowsMessage_UninstallProgress: return L"eWindowsMessage_UninstallProgress";
    default: return nullptr;
    }
}

// The assistant reports its progress as work result 6.
constexpr WPARAM kAssistantProgress = 6;

}  // namespace

void CLogic::ShowWorkProgress(int percent) {
    // Only the installing page (9) and the single page show this progress.
    if (!theme_.singlePageMode && wizard_.CurrentPage() != 9) return;
    percent = percent < 0 ? 0 : percent > 100 ? 100 : percent;
    const char* bar = theme_.singlePageMode ? "single_install_progress" : "progress_progress";
    const char* label = theme_.singlePageMode ? "single_install_text_progress_info" : "progress_info";
    wizard_.SetProgress(ControlIdForFunc(bar), percent);
    wizard_.SetText(ControlIdForFunc(label), FormatText(GetString(17).c_str(), percent, L"%"));
}

LRESULT CLogic::OnUserMessage(UINT message, WPARAM w, LPARAM l) {
    // Once the exit has begun, late worker results must not restart a flow.
    if (closing_ || message == WM_COPYDATA) return 0;
    switch (message) {
    case eWindowsMessage_LauncherAssistantNoRights:
        wizard_.ShowMessage(9, GetString(106), mbbRetry | mbbCancel, true);
        return 0;
    case eWindowsMessage_Exit:
        OnExitRequest(w);
        return 0;
    case eWindowsMessage_ClientStartFailed:
        OnClientStartFailed();
        return 0;
    case eWindowsMessage_LauncherAssistantInitResult:
        OnAssistantInitResult(w, l);
        return 0;
    case eWindowsMessage_LauncherAssistantWorkResult:
        if (w == kAssistantProgress) {
            ShowWorkProgress(int(l));
            return 0;
        }
        OnAssistantWorkResult(w, l);
        return 0;
    case eWindowsMessage_UninstallProgress:
        ShowWorkProgress(int(l));
        return 0;
    case eWindowsMessage_DownloadProgress:
    case eWindowsMessage_DownloadComplete:
        downloader_.HandleMessage(message, w, l);
        return 0;
    case eWindowsMessage_Activate:
        ShowTrayIcon(false);
        ShowMainWindow(true);
        return 0;
    case eWindowsMessage_IconTrayCallbackMessage:
        OnTrayCallback(l);
        return 0;
    case eWindowsMessage_SilentDownloadQuery:
        AnswerSilentDownload();
        return 0;
    case eWindowsMessage_SilentDownloadOff:
        SetSilentDownload(false);
        return 0;
    case eWindowsMessage_CheckFinished:
        OnCheckFinished(w, l);
        return 0;
    case eWindowsMessage_UnpackFinished:
        OnUnpackFinished(l);
        return 0;
    case eWindowsMessage_UnpackProgress: {
        const uint64_t bytes = UnpackProgressBytes(w, l);
        if (bytes > 0) unpackedKb_ = bytes / 1024;
        RefreshProgress();
        return 0;
    }
    case eWindowsMessage_ClientTask:
        if (acceptingTasks_) OnClientTask(w, l);
        return 0;
    default:
        if (const wchar_t* name = MessageName(message)) HandleLaterMessage(name, w, l);
        return 0;
    }
}
