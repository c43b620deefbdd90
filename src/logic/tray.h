#pragma once
// The notification-area icon that stands in for the hidden window while the
// launcher downloads in the background, its menu and balloon, showing and
// hiding the main window, and the error reports. UI thread only.

#include "logic/logic_context.h"

#include <shellapi.h>

#include <string>

class CTray {
public:
    explicit CTray(LogicContext& ctx) : ctx_(ctx) {}

    void ShowTrayIcon(bool show);
    // The download progress shown in the icon's tooltip.
    void SetProgressText(const std::wstring& text);
    void ShowTrayBalloon(bool show);
    void ShowMainWindow(bool show);
    void SetWindowVisible(bool visible) { windowVisible_ = visible; }
    void OnTrayCallback(LPARAM event);
    // The tray menu's commands (0x8005 ... 0x8007).
    void OnTrayCommand(UINT command);
    void ShowFileErrorReport(const std::wstring& path, DWORD code);
    void ShowSystemErrorReport(const std::wstring& prefix, DWORD code);

private:
    NOTIFYICONDATAW TrayRecord(UINT flags) const;
    void SetTrayIconTooltip();
    void ShowTrayMenu();

    LogicContext& ctx_;
    bool trayIconShown_ = false;
    bool windowVisible_ = false;
    std::wstring progressText_;
};
