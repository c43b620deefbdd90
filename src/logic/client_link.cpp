// The game client: finding and focusing its window, starting it with its
// command line, and the exit coordination once it is up or failed. Two
// launcher instances of the same executable: the new one asks the older one
// over the launcher_silent pipe whether it downloads in the background and
// decides whether to run, take over or leave.

#include "logic/client_link.h"

#include "logic/client_window.h"
#include "logic/self_replacement.h"
#include "logic/server_link.h"
#include "logic/tray.h"
#include "logic/update_cycle.h"
#include "startup/window_messages.h"
#include "startup/format_text.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/text.h"
#include "system/named_pipe.h"
#include "system/process_list.h"

namespace {

std::wstring SilentPipeName(DWORD processId) { return L"\\\\.\\pipe\\launcher_silent_" + std::to_wstring(processId); }

}  // namespace


std::wstring CClientLink::ClientCommandLine(const ClientCommandParts& p) {
    std::wstring line = QuotedCommandLine(p.installFolder + L"\\" + Utf8ToWide(p.clientProgram),
                                          Utf8ToWide(p.clientArguments));
    line += L" -server " + Utf8ToWide(p.serverUrl) + p.appIdArgument;
    if (!p.affiliateId.empty()) line += L" -affiliateid " + Utf8ToWide(p.affiliateId);
    if (!p.referrerId.empty()) line += L" -referrerid " + Utf8ToWide(p.referrerId);
    if (!p.promoCode.empty()) line += L" -promocode " + Utf8ToWide(p.promoCode);
    if (p.updatePath.find("games-launcher") != std::string::npos) line += L" -localRun";
    return line;
}

HWND CClientLink::FindClientWindow() {
    LogLine(L"Searching for client windows...");
    return FindProductWindow(Utf8ToWide(ctx_.settings.windowClassName), ctx_.settings.shortName);
}

void CClientLink::FocusClientWindow(HWND window) {
    clientFound_ = true;
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    GetWindowPlacement(window, &placement);
    placement.showCmd = SW_RESTORE;
    SetWindowPlacement(window, &placement);
    SetForegroundWindow(window);
}

bool CClientLink::FindAndFocusClientWindow() {
    const HWND window = FindClientWindow();
    if (window) FocusClientWindow(window);
    return window != nullptr;
}

bool CClientLink::IsClientProcessRunning() {
    return !ProcessesWithModulePath(ctx_.installFolder + L"\\" + Utf8ToWide(ctx_.settings.process)).empty();
}

void CClientLink::RunClient() {
    LogLine(L"RunClient()");
    if (launchThread_ && launchThread_->IsRunning()) {
        LogLine(L"RunClient() : the client is still starting");
        return;
    }
    ctx_.server->SaveClientUpdateData();
    ClientCommandParts parts;
    parts.installFolder = ctx_.installFolder;
    parts.clientProgram = ctx_.settings.process;
    parts.clientArguments = ctx_.settings.processArgs;
    parts.serverUrl = ctx_.server->selector().selection.SelectedURL;
    parts.affiliateId = ReadSlotValue(*FindSlotInfo("AFFILIATE_ID"));
    parts.referrerId = ReadSlotValue(*FindSlotInfo("REFERRER_ID"));
    parts.promoCode = ReadSlotValue(*FindSlotInfo("PROMOCODE"));
    parts.updatePath = ctx_.updatePath;
    parts.appIdArgument = ctx_.appIdArgument;
    const std::wstring commandLine = ClientCommandLine(parts);

    const HWND window = FindClientWindow();
    if (!ctx_.debugMode && !ctx_.config.multiRun && window) {
        FocusClientWindow(window);
        return;
    }
    clientStartFailed_ = false;
    LogLine(L"RunClient() : CreateThread");
    launchThread_ = std::make_unique<CClientLaunchThread>(commandLine, ctx_.wizard.Window(),
                                                          ctx_.installFolder + L"\\" + Utf8ToWide(ctx_.settings.process));
    runThreadStarted_ = launchThread_->Start();
    LogLine(runThreadStarted_ ? L"  .. ok" : L"  .. fail");
}

void CClientLink::OnClientStartFailed() {
    runThreadStarted_ = false;
    clientStartFailed_ = true;
    if (silentDownloadActive_) {
        SetSilentDownload(false);
        return;
    }
    if (ctx_.settings.silentDownload && !IsClientProcessRunning()) NotifyOtherInstances(0);
    ctx_.host->ShowError(FormatText(GetString(23).c_str(), Utf8ToWide(ctx_.settings.fullName).c_str()));
}

void CClientLink::OnExitRequest(WPARAM reason) {
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
        ctx_.host->Exit();
    } else if (ctx_.runByClient) {
        if (silentDownloadFinished_)
            ctx_.tray->ShowTrayBalloon(true);
        else
            ctx_.host->Exit();
    } else if (clientFound_ && silentDownloadDone_) {
        if (silentDownloadFinished_)
            ctx_.tray->ShowTrayBalloon(true);
        else
            ctx_.host->Exit();
    }
}

bool CClientLink::NotifyOtherInstances(int mode) {
    if (mode == 0) {
        if (!ctx_.settings.silentDownload) return true;
        for (DWORD id : ProcessesWithModulePath(ModulePath(nullptr), GetCurrentProcessId()))
            for (HWND window : ProcessTopLevelWindows(id)) PostMessageW(window, eWindowsMessage_SilentDownloadOff, 0, 0);
        return true;
    }
    const std::wstring launcher = ctx_.installFolder + L"\\Launcher.exe";
    for (DWORD id : ProcessesWithModulePath(launcher, GetCurrentProcessId())) {
        for (HWND window : ProcessTopLevelWindows(id)) {
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, eWindowsMessage_Activate, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 5000, &result);
        }
    }
    return TerminateProcessesWithModulePath(launcher);
}

void CClientLink::SetSilentDownload(bool on) {
    if (on == silentDownloadActive_) return;
    if (on) {
        LogLine(L"SetSilentDownload(true);");
        silentDownloadActive_ = true;
        if (!(ctx_.runByClient && !ctx_.runByClientCritical)) {
            SetCurrentDirectoryW(ctx_.installFolder.c_str());
            const HWND window = FindClientWindow();
            if (ctx_.debugMode || ctx_.config.multiRun || !window)
                RunClient();
            else
                FocusClientWindow(window);
        }
        ctx_.tray->ShowTrayIcon(true);
        ctx_.tray->ShowMainWindow(false);
        return;
    }
    const HWND window = FindClientWindow();
    if (window && !ctx_.debugMode && !ctx_.config.multiRun) FocusClientWindow(window);
    if (ctx_.runByClient) ctx_.runByClientCritical = true;
    if ((clientFound_ || ctx_.runByClient) && silentDownloadDone_) {
        silentDownloadActive_ = false;
        ctx_.tray->ShowTrayBalloon(false);
        ctx_.replacement->RestartLauncher(L"Launcher.exe");
    } else if (ctx_.silentMode == sdmFull && !runThreadStarted_ && (clientStartFailed_ || !window)) {
        silentDownloadActive_ = false;
        LogLine(clientStartFailed_ ? L"  .. run client error, setUnpack()" : L"  .. setUnpack()");
        ctx_.tray->ShowTrayIcon(false);
        ctx_.tray->ShowMainWindow(true);
        ctx_.update->ResumeFullUnpacking();
    } else {
        LogLine(L"  .. ignore");
    }
}

void CClientLink::PressLaunch() {
    LogLine(L"ID_BTN_LAUNCH");
    ctx_.host->SetProgressStage(5);
    SetCurrentDirectoryW((ctx_.installFolder + L"\\").c_str());
    if (ctx_.update->state().launcherUpdatePending)
        ctx_.replacement->RestartLauncher(L"Launcher.tmp.exe");
    else
        RunClient();
}

ESilentDownloadMode CClientLink::DecideSilentMode() {
    const std::vector<DWORD> others = ProcessesWithModulePath(ModulePath(nullptr), GetCurrentProcessId());
    if (!others.empty()) {
        otherInstance_ = others.front();
        otherInstanceBusy_ = true;
        LogLine(L"Searching for launcher windows...");
        for (HWND window : ProcessTopLevelWindows(otherInstance_)) {
            // Only the main window answers. The other instance's helper
            // windows (input method, GDI+) belong to threads that may not
            // pump messages, and each would hold the query for its limit.
            wchar_t className[256] = {};
            GetClassNameW(window, className, 256);
            if (wcscmp(className, kMainWindowClass) != 0) continue;
            CNamedPipe pipe;
            if (!pipe.Create(SilentPipeName(otherInstance_))) {
                LogLine(L"OnEnumSilentDownloadLauncherWindow: CreatePipe .. fail");
                continue;
            }
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, eWindowsMessage_SilentDownloadQuery, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 5000,
                                &result);
            // The answer is written while the query is handled; a window that
            // ignored it leaves the pipe unconnected, and reading would wait.
            unsigned char answer = 0;
            DWORD waiting = 0;
            if (PeekNamedPipe(pipe.Handle(), nullptr, 0, nullptr, &waiting, nullptr) && waiting &&
                pipe.Read(&answer, 1)) {
                otherInstanceBusy_ = answer == 0;
                break;
            }
        }
    }
    ESilentDownloadMode mode = sdmExit;
    if (ctx_.runMode == rmUninstaller || ctx_.restart || others.empty())
        mode = sdmFull;
    else if (others.size() == 1 && !otherInstanceBusy_ && ctx_.settings.silentDownload)
        mode = sdmRun;
    LogLine(mode == sdmRun ? L"SilentDownloadMode == sdmRun"
                           : mode == sdmFull ? L"SilentDownloadMode == sdmFull" : L"SilentDownloadMode == sdmExit");
    return mode;
}

void CClientLink::AnswerSilentDownload() {
    LogLine(L"AnswerSilentDownload()");
    CNamedPipe pipe;
    if (!pipe.Open(SilentPipeName(GetCurrentProcessId()))) {
        LogLine(L"AnswerSilentDownload() : OpenPipe .. fail");
        return;
    }
    const unsigned char answer = silentDownloadActive_ ? 1 : 0;
    if (!pipe.Write(&answer, 1)) LogLine(L"AnswerSilentDownload() : SendPipe .. fail");
}

void CClientLink::Stop(DWORD limit) {
    if (launchThread_) launchThread_->Stop(limit);
}
