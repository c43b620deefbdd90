// run(), the main loop, StartWork and the progress stages.

#include "logic/logic.h"

#include "logic/control_ids.h"
#include "startup/launcher_error.h"
#include "startup/module.h"
#include "startup/registry_key.h"
#include "startup/text.h"
#include "startup/xml_path.h"
#include "system/install_directory_list.h"

#include <shlobj.h>

namespace {

int Id(const char* func) { return ControlIdForFunc(func); }

}  // namespace

bool CLogic::run() {
    if (ctx_.runByClient && ctx_.runByClientCritical) {
        if (ctx_.log) ctx_.log->WriteNewLines(1);
        LogLine(L"Run by client:");
        LogLine(L"  .. waiting for clients closing...");
        ctx_.installFolder = OwnFolder();
        bool running = client_.IsClientProcessRunning();
        for (int i = 0; running && i < 20; ++i) {
            Sleep(1000);
            running = client_.IsClientProcessRunning();
        }
        LogLine(running ? L"    .. not all clients closed, exit" : L"    .. all clients closed, continue run launcher");
        if (ctx_.log) ctx_.log->WriteNewLines(1);
        if (running) return true;
    }

    ctx_.silentMode = client_.DecideSilentMode();
    if (ctx_.silentMode == sdmExit) {
        LogLine(L"run(): SilentDownloadMode == sdmExit");
        return true;
    }
    if (!ctx_.debugMode && !ctx_.config.multiRun && ctx_.runMode != rmDownload &&
        (ctx_.runMode == rmInstall || ctx_.silentMode == sdmRun)) {
        if (client_.FindAndFocusClientWindow()) return true;
    }

    std::string caption;
    const std::wstring title =
        XmlText(ctx_.config.root(), "common/taskbarCaption/text()", caption) ? Utf8ToWide(caption) : GetString(2);
    LogLine(L"Set dialog title: " + title);
    ctx_.wizard.SetTitle(title);

    LogLine(L"Dialog successfully created");

    CheckRequiredControls();

    texts_.InitTextControls();
    flow_.InitChoices();
    const int language = Id("language");
    if (ctx_.runMode == rmUninstaller) ctx_.wizard.EnableControl(language, false);
    ctx_.wizard.ShowControl(language, ctx_.runMode == rmInstall);
    LogLine(L"Dialog skin controls .. OK");

    ChooseInstallFolder();
    flow_.ShowInstallFolder();
    SetProgressStage(ctx_.runMode == rmSetLongName ? 7 : 2);
    if (ctx_.runMode != rmInstall) shortcuts_.SetTaskbarIdentity();

    if (ctx_.runByClient && !ctx_.runByClientCritical) {
        client_.SetSilentDownload(true);
    } else {
        ctx_.wizard.Show(true);
        tray_.SetWindowVisible(true);
    }

    if (!ctx_.runtimePresent) {
        runtime_.AskForRuntimeUpdate();
    } else if (installation_.CheckRightsBeforeUpdate()) {
        StartWork();
    }
    MainLoop();
    return true;
}

void CLogic::CheckRequiredControls() const {
    auto require = [this](const char* func, const char* error) {
        if (!ctx_.wizard.FindControl(func)) throw CLauncherError{error};
    };
    require("mblistbox", "Failed create mbox listbox");
    if (!ctx_.theme.singlePageMode) {
        require("terms", "Failed create terms listbox");
        require("errors", "Failed create errors listbox");
        require("folder", "Failed");
        for (const char* f : {"download_info", "progress_info", "download_progress"}) require(f, "Failed");
    }
    for (const char* f : {"mbox_no", "mbox_yes", "mbox_ok", "mbox_retry", "mbox_cancel"})
        require(f, "Check skin controls failed");
}

void CLogic::ChooseInstallFolder() {
    const bool given = ctx_.runMode == rmSetLongName ||
                       (ctx_.runMode == rmUninstaller && (ctx_.runCode == rcUninstallFrom || ctx_.runCode == rcUninstallGuest));
    if (given && !ctx_.installFolder.empty()) return;
    if (ctx_.runMode != rmInstall) {
        ctx_.installFolder = OwnFolder();
        return;
    }
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, ctx_.config.regPath);
    ctx_.installFolder = list.FirstRegistered();
    if (!ctx_.installFolder.empty()) return;
    wchar_t programs[MAX_PATH] = {};
    std::wstring base;
    if (SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAM_FILES, FALSE)) {
        base = programs;
    } else {
        CRegistryKey windows;
        if (windows.Open(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion", KEY_READ) == ERROR_SUCCESS)
            windows.GetString(L"ProgramFilesDir", base);
        if (base.size() > MAX_PATH) base.clear();
    }
    if (!base.empty()) ctx_.installFolder = base + L"\\" + Utf8ToWide(ctx_.settings.fullName);
}

void CLogic::MainLoop() {
    LogLine(L"Msg cycle - start");
    MSG msg;
    while (!stopLoop_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_COMMAND && msg.hwnd == ctx_.wizard.Window()) tray_.OnTrayCommand(LOWORD(msg.wParam));
        if (ctx_.theme.singlePageMode && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
            ctx_.runMode != rmSetLongName) {
            assistant_.CancelAssistant();
            Exit();
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    LogLine(L"Msg cycle - finish");
}

bool CLogic::StartWork() {
    try {
        if (ctx_.runMode != rmDownload && ctx_.runMode != rmSetLongName && !replacement_.ReplaceLoader()) return true;
        if (ctx_.runMode == rmUninstaller) {
            if (ctx_.runCode == rcUninstall)
                SetProgressStage(1);
            else
                flow_.ShowPage(ctx_.theme.singlePageMode ? kSinglePageUninstall : kPageUninstall);
            ctx_.wizard.SetTitle(GetString(98));
            if (ctx_.runCode == rcUninstall && uninstallation_.StartTemporaryUninstaller()) Exit();
            return true;
        }
        if (ctx_.runMode == rmSetLongName) {
            LogLine(L"Process SetLongName Started");
            renaming_.StartRenaming();
            return true;
        }
        if (!networkNeeded_) return true;
        SetProgressStage(3);
        if (!server_.ready() && !server_.StartNetwork()) {
            ShowError(71);
            return true;
        }
        if (!ctx_.runtimePresent)
            runtime_.StartDownload(runtime_.packageUrl());
        else if (ctx_.runMode == rmInstall && !ctx_.theme.singlePageMode)
            update_.RequestLicence();
        else
            update_.RequestManifest();
        return true;
    } catch (...) {
        return false;
    }
}

void CLogic::ShowError(int stringId) { ShowError(GetString(stringId)); }

void CLogic::ShowError(const std::wstring& text) { flow_.ShowMessage(text, kActionError, mbbOk, true); }

void CLogic::SetProgressStage(int stage) {
    static const struct { int stage; int string; } kStages[] = {
        {1, 84}, {3, 82}, {4, 73}, {5, 77}, {6, 88}, {7, 87}};
    int text = 85;
    for (const auto& s : kStages)
        if (s.stage == stage) text = s.string;
    if (stage == 6) tasks_.SetWaiting();
    flow_.SetPhase(stage);
    texts_.SetControlText(Id("firstpage_info"), text);
    texts_.SetControlText(
        Id(ctx_.theme.singlePageMode ? "single_install_text_progress_info" : "headline_firstpage_info"), text);
    if (ctx_.theme.singlePageMode) {
        flow_.ShowPage(kSinglePageInstall);
    } else {
        ctx_.wizard.ShowControl(Id("cancel_firstpage"), stage != 1 && stage != 7);
        flow_.ShowPage(kPageServerInfo);
    }
}
