// The private messages of the main window, its timers and its controls.

#include "logic.h"

#include "gui/control_ids.h"
#include "startup/format_text.h"


namespace {

const wchar_t* MessageName(UINT message) {
    switch (message) {
    case eWindowsMessage_LauncherAssistantInitResult: return L"eWindowsMessage_LauncherAssistantInitResult";
    case eWindowsMessage_LauncherAssistantWorkResult: return L"eWindowsMessage_LauncherAssistantWorkResult";
    case eWindowsMessage_ClientTask: return L"eWindowsMessage_ClientTask";
    case eWindowsMessage_UnpackFinished: return L"eWindowsMessage_UnpackFinished";
    case eWindowsMessage_CheckFinished: return L"eWindowsMessage_CheckFinished";
    case eWindowsMessage_UninstallFinished: return L"eWindowsMessage_UninstallFinished";
    case eWindowsMessage_UnpackProgress: return L"eWindowsMessage_UnpackProgress";
    case eWindowsMessage_UninstallProgress: return L"eWindowsMessage_UninstallProgress";
    case eWindowsMessage_DownloadProgress: return L"eWindowsMessage_DownloadProgress";
    case eWindowsMessage_DownloadComplete: return L"eWindowsMessage_DownloadComplete";
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
    case eWindowsMessage_LauncherAssistantWorkResult:
        if (w == kAssistantProgress) {
            ShowWorkProgress(int(l));
            return 0;
        }
        HandleLaterMessage(MessageName(message), w, l);
        return 0;
    case eWindowsMessage_UninstallProgress:
        ShowWorkProgress(int(l));
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
    default:
        if (const wchar_t* name = MessageName(message)) HandleLaterMessage(name, w, l);
        return 0;
    }
}

void CLogic::OnTimer(UINT_PTR) {}

void CLogic::OnControl(int id) {
    // Closing asks no confirmation until the wizard pages exist.
    if (id == ControlIdForFunc("close") || id == ControlIdForFunc("close_uninstall") ||
        id == ControlIdForFunc("mbox_ok") || id == ControlIdForFunc("mbox_cancel"))
        Exit();
}
