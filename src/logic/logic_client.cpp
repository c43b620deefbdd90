// The game client: finding and focusing its window, starting it with its
// command line, and the exit coordination once it is up or failed.

#include "logic.h"

#include "logic/client_launch_thread.h"
#include "logic/client_window.h"
#include "startup/format_text.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/text.h"
#include "system/process_list.h"

std::wstring CLogic::ClientCommandLine(const ClientCommandParts& p) {
    std::wstring line = p.installFolder + L"\\" + Utf8ToWide(p.clientCommand) + L" -server " +
                        Utf8ToWide(p.serverUrl) + p.appIdArgument;
    if (!p.affiliateId.empty()) line += L" -affiliateid " + Utf8ToWide(p.affiliateId);
    if (!p.referrerId.empty()) line += L" -referrerid " + Utf8ToWide(p.referrerId);
    if (!p.promoCode.empty()) line += L" -promocode " + Utf8ToWide(p.promoCode);
    if (p.updatePath.find("games-launcher") != std::string::npos) line += L" -localRun";
    return line;
}

HWND CLogic::FindClientWindow() {
    LogLine(L"Searching for client windows...");
    foundClientWindow_ = FindProductWindow(Utf8ToWide(settings_.windowClassName), settings_.shortName);
    return foundClientWindow_;
}

void CLogic::FocusClientWindow(HWND window) {
    clientFound_ = true;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    placement.showCmd = SW_RESTORE;
    SetWindowPlacement(window, &placement);
    SetForegroundWindow(window);
}

bool CLogic::FindAndFocusClientWindow() {
    const HWND window = FindClientWindow();
    if (window) FocusClientWindow(window);
    return window != nullptr;
}

bool CLogic::IsClientProcessRunning() {
    return !ProcessesWithModulePath(installFolder_ + L"\\" + Utf8ToWide(settings_.process)).empty();
}

void CLogic::RunClient() {
    LogLine(L"RunClient()");
    SaveClientUpdateData();
    ClientCommandParts parts;
    parts.installFolder = installFolder_;
    parts.clientCommand = settings_.ClientCommand();
    parts.serverUrl = urlSelector_.selection.SelectedURL;
    parts.appIdArgument = appIdArgument_;
    parts.affiliateId = ReadSlotValue(*FindSlotInfo("AFFILIATE_ID"));
    parts.referrerId = ReadSlotValue(*FindSlotInfo("REFERRER_ID"));
    parts.promoCode = ReadSlotValue(*FindSlotInfo("PROMOCODE"));
    parts.updatePath = updatePath_;
    const std::wstring commandLine = ClientCommandLine(parts);

    const HWND window = FindClientWindow();
    if (!debugMode_ && !config_.multiRun && window) {
        FocusClientWindow(window);
        return;
    }
    clientStartFailed_ = false;
    LogLine(L"RunClient() : CreateThread");
    if (launchThread_) launchThread_->Stop(INFINITE);
    launchThread_ = std::make_unique<CClientLaunchThread>(commandLine, wizard_.Window(),
                                                          installFolder_ + L"\\" + Utf8ToWide(settings_.process));
    runThreadStarted_ = launchThread_->Start();
    LogLine(runThreadStarted_ ? L"  .. ok" : L"  .. fail");
}

void CLogic::OnClientStartFailed() {
    runThreadStarted_ = false;
    clientStartFailed_ = true;
    if (silentDownloadActive_) {
        SetSilentDownload(false);
        return;
    }
    if (settings_.silentDownload && !IsClientProcessRunning()) NotifyOtherInstances(0);
    ShowError(FormatText(GetString(23).c_str(), Utf8ToWide(settings_.fullName).c_str()));
}

void CLogic::OnExitRequest(WPARAM reason) {
    switch (reason) {
    case 0:
        LogLine(L"Exit .. runThread");
        runThreadStarted_ = false;
        clientFound_ = true;
        break;
    case 1:
        LogLine(L"Exit .. silentDownload");
        silentDownloadDone_ = true;
        break;
    case 2:
        LogLine(L"Exit .. silentDownload_finish");
        silentDownloadDone_ = silentDownloadFinished_ = true;
        break;
    default:
        break;
    }
    if (silentDownloadFinished_) silentDownloadDone_ = true;
    if (!silentDownloadActive_) {
        Exit();
    } else if (runByClient_) {
        if (silentDownloadFinished_)
            ShowSilentDownloadBalloon();
        else
            Exit();
    } else if (clientFound_ && silentDownloadDone_) {
        if (silentDownloadFinished_)
            ShowSilentDownloadBalloon();
        else
            Exit();
    }
}

void CLogic::NotifyOtherInstances(int mode) {
    if (mode == 0) {
        if (!settings_.silentDownload) return;
        for (DWORD id : ProcessesWithModulePath(ModulePath(nullptr), GetCurrentProcessId()))
            for (HWND window : ProcessTopLevelWindows(id)) PostMessageW(window, eWindowsMessage_SilentDownloadOff, 0, 0);
        return;
    }
    const std::wstring launcher = installFolder_ + L"\\Launcher.exe";
    for (DWORD id : ProcessesWithModulePath(launcher, GetCurrentProcessId())) {
        for (HWND window : ProcessTopLevelWindows(id)) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, eWindowsMessage_Activate, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 5000, &result);
        }
    }
    otherInstancesEnded_ = TerminateProcessesWithModulePath(launcher);
}

void CLogic::SetSilentDownload(bool on) {
    if (!silentDownloadPossible_ || on == silentDownloadActive_) return;
    if (on) {
        LogLine(L"SetSilentDownload(true);");
        silentDownloadActive_ = true;
        if (!(runByClient_ && !runByClientCritical_)) {
            SetCurrentDirectoryW(installFolder_.c_str());
            const HWND window = FindClientWindow();
            if (debugMode_ || config_.multiRun || !window)
                RunClient();
            else
                FocusClientWindow(window);
        }
        ShowTrayIcon(true);
        ShowMainWindow(false);
        return;
    }
    const HWND window = FindClientWindow();
    if (window && !debugMode_ && !config_.multiRun) FocusClientWindow(window);
    if (runByClient_) runByClientCritical_ = true;
    if ((clientFound_ || runByClient_) && silentDownloadDone_) {
        silentDownloadActive_ = false;
        ShowTrayBalloon(false);
        RestartLauncher(L"Launcher.exe");
    } else if (silentMode_ == sdmFull && !runThreadStarted_ && (clientStartFailed_ || !window)) {
        silentDownloadActive_ = false;
        LogLine(clientStartFailed_ ? L"  .. run client error, setUnpack()" : L"  .. setUnpack()");
        ShowTrayIcon(false);
        ShowMainWindow(true);
        ResumeFullUnpacking();
    } else {
        LogLine(L"  .. ignore");
    }
}
