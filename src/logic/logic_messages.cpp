// The private messages of the main window, its timers and its controls.

#include "logic.h"

#include "gui/control_ids.h"

namespace {

const wchar_t* MessageName(UINT message) {
    switch (message) {
    case eWindowsMessage_LauncherAssistantInitResult: return L"eWindowsMessage_LauncherAssistantInitResult";
    case eWindowsMessage_LauncherAssistantWorkResult: return L"eWindowsMessage_LauncherAssistantWorkResult";
    case eWindowsMessage_ClientStartFailed: return L"eWindowsMessage_ClientStartFailed";
    case eWindowsMessage_ClientTask: return L"eWindowsMessage_ClientTask";
    case eWindowsMessage_UnpackFinished: return L"eWindowsMessage_UnpackFinished";
    case eWindowsMessage_CheckFinished: return L"eWindowsMessage_CheckFinished";
    case eWindowsMessage_UninstallFinished: return L"eWindowsMessage_UninstallFinished";
    case eWindowsMessage_UnpackProgress: return L"eWindowsMessage_UnpackProgress";
    case eWindowsMessage_UninstallProgress: return L"eWindowsMessage_UninstallProgress";
    case eWindowsMessage_DownloadProgress: return L"eWindowsMessage_DownloadProgress";
    case eWindowsMessage_DownloadComplete: return L"eWindowsMessage_DownloadComplete";
    case eWindowsMessage_IconTrayCallbackMessage: return L"eWindowsMessage_IconTrayCallbackMessage";
    case eWindowsMessage_SilentDownloadOff: return L"eWindowsMessage_SilentDownloadOff";
    case eWindowsMessage_SilentDownloadQuery: return L"eWindowsMessage_SilentDownloadQuery";
    default: return nullptr;
    }
}

}  // namespace

LRESULT CLogic::OnUserMessage(UINT message, WPARAM w, LPARAM l) {
    // Once the exit has begun, late worker results must not restart a flow.
    if (closing_ || message == WM_COPYDATA) return 0;
    switch (message) {
    case eWindowsMessage_LauncherAssistantNoRights:
        wizard_.ShowMessage(9, GetString(106), mbbRetry | mbbCancel, true);
        return 0;
    case eWindowsMessage_Exit:
        LogLine(L"eWindowsMessage_Exit");
        Exit();
        return 0;
    case eWindowsMessage_Activate:
        ShowWindow(wizard_.Window(), SW_SHOW);
        SetForegroundWindow(wizard_.Window());
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
