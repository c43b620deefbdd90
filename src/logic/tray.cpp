// The notification-area icon that stands in for the hidden window while the
// launcher downloads in the background, its menu and balloon, showing and
// hiding the main window, and the error reports. UI thread only.

#include "logic/tray.h"

#include "logic/downloads.h"
#include "logic/error_reports.h"
#include "logic/wizard_flow.h"
#include "startup/handle.h"
#include "startup/text.h"
#include "startup/window_messages.h"

#include <shellapi.h>

#include <cwchar>

namespace {

constexpr UINT kTrayExit = 0x8005, kTrayPause = 0x8006, kTrayShowHide = 0x8007;
constexpr UINT kIconId = 1;

void CopyField(wchar_t* field, size_t capacity, const std::wstring& text) {
    const std::wstring cut = CutToField(text, capacity - 1);
    wcsncpy(field, cut.c_str(), capacity - 1);
    field[capacity - 1] = L'\0';
}

}  // namespace

NOTIFYICONDATAW CTray::TrayRecord(UINT flags) const {
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = ctx_.wizard.Window();
    data.uID = kIconId;
    data.uFlags = flags;
    if (flags & NIF_MESSAGE) data.uCallbackMessage = eWindowsMessage_IconTrayCallbackMessage;
    if (flags & NIF_ICON) data.hIcon = LoadIconA(GetModuleHandleW(nullptr), MAKEINTRESOURCEA(101));
    return data;
}

void CTray::ShowTrayIcon(bool show) {
    if (show == trayIconShown_) return;
    LogLine(show ? L"ShowTrayIcon(true);" : L"ShowTrayIcon(false);");
    trayIconShown_ = show;
    NOTIFYICONDATAW data = TrayRecord(NIF_MESSAGE | NIF_ICON | NIF_TIP);
    CopyField(data.szTip, std::size(data.szTip), Utf8ToWide(ctx_.settings.fullName));
    Shell_NotifyIconW(show ? NIM_ADD : NIM_DELETE, &data);
}

void CTray::SetTrayIconTooltip() {
    if (!trayIconShown_) return;
    LogLine(L"SetTrayIconTooltip();");
    NOTIFYICONDATAW data = TrayRecord(NIF_TIP);
    CopyField(data.szTip, std::size(data.szTip), Utf8ToWide(ctx_.settings.fullName) + L": " + progressText_);
    Shell_NotifyIconW(NIM_MODIFY, &data);
}

void CTray::ShowTrayBalloon(bool show) {
    LogLine(show ? L"ShowTrayBalloon(true);" : L"ShowTrayBalloon(false);");
    NOTIFYICONDATAW data = TrayRecord(NIF_MESSAGE | NIF_ICON | NIF_INFO);
    data.dwInfoFlags = NIIF_INFO;
    data.uTimeout = 0;
    CopyField(data.szInfo, std::size(data.szInfo), GetString(15));
    CopyField(data.szInfoTitle, std::size(data.szInfoTitle), Utf8ToWide(ctx_.settings.fullName));
    Shell_NotifyIconW(show ? NIM_MODIFY : NIM_DELETE, &data);
}

void CTray::ShowMainWindow(bool show) {
    ctx_.wizard.Show(show);
    windowVisible_ = show;
}

void CTray::OnTrayCallback(LPARAM event) {
    switch (event) {
    case WM_LBUTTONDOWN:
        ShowMainWindow(!windowVisible_);
        break;
    case WM_RBUTTONDOWN:
        ShowTrayMenu();
        break;
    case NIN_BALLOONTIMEOUT:
    case NIN_BALLOONUSERCLICK:
        LogLine(L"eWindowsMessage_IconTrayCallbackMessage: WM_BALLOONCLICK or WM_BALLOONCLOSE - exit");
        ShowTrayBalloon(false);
        ctx_.host->Exit();
        break;
    default:
        break;
    }
}

// The pause item is never offered: nothing in the launcher enters the
// paused state, so a menu without it is what users see.
void CTray::ShowTrayMenu() {
    POINT cursor{};
    GetCursorPos(&cursor);
    const CMenuHandle menu(CreatePopupMenu());
    if (!menu.IsValid()) return;
    AppendMenuW(menu.Get(), MF_STRING, kTrayShowHide, GetString(windowVisible_ ? 11 : 10).c_str());
    AppendMenuW(menu.Get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.Get(), MF_STRING, kTrayExit, GetString(12).c_str());
    SetForegroundWindow(ctx_.wizard.Window());
    TrackPopupMenu(menu.Get(), 0, cursor.x, cursor.y, 0, ctx_.wizard.Window(), nullptr);
    PostMessageW(ctx_.wizard.Window(), WM_NULL, 0, 0);
}

void CTray::OnTrayCommand(UINT command) {
    if (command == kTrayExit)
        PostMessageW(ctx_.wizard.Window(), eWindowsMessage_Exit, 1, 0);
    else if (command == kTrayPause)
        ctx_.downloads->TogglePause();
    else if (command == kTrayShowHide)
        ShowMainWindow(!windowVisible_);
}

void CTray::ShowFileErrorReport(const std::wstring& path, DWORD code) {
    ctx_.flow->ShowMessage(FileErrorReportText(path, code), kActionQuit, mbbOk, false);
}

void CTray::ShowSystemErrorReport(const std::wstring& prefix, DWORD code) {
    ctx_.flow->ShowMessage(SystemErrorReportText(prefix, code), kActionError, mbbOk, true);
}

void CTray::SetProgressText(const std::wstring& text) {
    progressText_ = text;
    if (trayIconShown_) SetTrayIconTooltip();
}
