// run(), the main loop, StartWork and the progress stages.

#include "logic.h"

#include "logic/control_ids.h"
#include "startup/launcher_error.h"
#include "startup/module.h"
#include "startup/text.h"
#include "startup/xml_path.h"
#include "system/install_directory_list.h"

#include <shlobj.h>

namespace {

int Id(const char* func) { return ControlIdForFunc(func); }

}  // namespace

bool CLogic::run() {
    if (runByClient_ && runByClientCritical_) {
        if (log_) log_->WriteNewLines(1);
        LogLine(L"Run by client:");
        LogLine(L"  .. waiting for clients closing...");
        installFolder_ = OwnFolder();
        bool running = IsClientProcessRunning();
        for (int i = 0; running && i < 20; ++i) {
            Sleep(1000);
            running = IsClientProcessRunning();
        }
        LogLine(running ? L"    .. not all clients closed, exit" : L"    .. all clients closed, continue run launcher");
        if (log_) log_->WriteNewLines(1);
        if (running) return true;
    }

    silentMode_ = DecideSilentMode();
    if (silentMode_ == sdmExit) {
        LogLine(L"run(): SilentDownloadMode == sdmExit");
        return true;
    }
    if (!debugMode_ && !config_.multiRun && runMode_ != rmDownload &&
        (runMode_ == rmInstall || silentMode_ == sdmRun)) {
        if (FindAndFocusClientWindow()) return true;
    }

    std::string caption;
    const std::wstring title =
        XmlText(config_.root(), "common/taskbarCaption/text()", caption) ? Utf8ToWide(caption) : GetString(2);
    LogLine(L"Set dialog title: " + title);
    wizard_.SetTitle(title);

    termsButton_ = wizard_.FindControl("single_install_button_terms");
    termsCheckbox_ = wizard_.FindControl("single_install_checkbox_terms");
    LogLine(L"Dialog successfully created");

    CheckRequiredControls();

    if (theme_.singlePageMode) {
        wizard_.SetChecked(Id("single_install_checkbox_icon_desktop"), settings_.iconDesktop);
        wizard_.SetChecked(Id("single_install_checkbox_icon_programs"), settings_.iconPrograms);
    }
    InitTextControls();
    const int language = Id("language");
    if (runMode_ == rmUninstaller) wizard_.EnableControl(language, false);
    wizard_.ShowControl(language, runMode_ == rmInstall);
    LogLine(L"Dialog skin controls .. OK");

    ChooseInstallFolder();
    SetProgressStage(runMode_ == rmSetLongName ? 7 : 2);
    if (runMode_ != rmInstall) SetApplicationIdentity();

    if (runByClient_ && !runByClientCritical_) {
        SetSilentDownload(true);
    } else {
        ShowWindow(wizard_.Window(), SW_SHOWDEFAULT);
        windowVisible_ = true;
    }

    if (!runtimePresent_) {
        wizard_.ShowMessage(kActionError, GetString(114), mbbOk, true);
        wizard_.SetText(Id("mbox_link"), GetString(117));
    } else if (RecordsWritable()) {
        StartWork();
    }
    MainLoop();
    return true;
}

void CLogic::CheckRequiredControls() const {
    auto require = [this](const char* func, const char* error) {
        if (!wizard_.FindControl(func)) throw CLauncherError{error};
    };
    require("mblistbox", "Failed create mbox listbox");
    if (!theme_.singlePageMode) {
        require("terms", "Failed create terms listbox");
        require("errors", "Failed create errors listbox");
        require("folder", "Failed");
        for (const char* f : {"download_info", "progress_info", "download_progress"}) require(f, "Failed");
    }
    for (const char* f : {"mbox_no", "mbox_yes", "mbox_ok", "mbox_retry", "mbox_cancel"})
        require(f, "Check skin controls failed");
}

void CLogic::ChooseInstallFolder() {
    const bool given = runMode_ == rmSetLongName ||
                       (runMode_ == rmUninstaller && (runCode_ == rcUninstallFrom || runCode_ == rcUninstallGuest));
    if (given && !installFolder_.empty()) return;
    if (runMode_ != rmInstall) {
        installFolder_ = OwnFolder();
        return;
    }
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, config_.regPath);
    installFolder_ = list.FirstRegistered();
    if (!installFolder_.empty()) return;
    wchar_t programs[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(nullptr, programs, CSIDL_PROGRAM_FILES, FALSE))
        installFolder_ = std::wstring(programs) + L"\\" + Utf8ToWide(settings_.fullName);
}

void CLogic::MainLoop() {
    LogLine(L"Msg cycle - start");
    MSG msg;
    while (!stopLoop_ && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_COMMAND && msg.hwnd == wizard_.Window()) OnTrayCommand(LOWORD(msg.wParam));
        if (theme_.singlePageMode && msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE &&
            runMode_ != rmSetLongName) {
            CancelAssistant();
            Exit();
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    LogLine(L"Msg cycle - finish");
}

bool CLogic::StartWork() {
    try {
        if (runMode_ != rmDownload && runMode_ != rmSetLongName && !ReplaceLoader()) return true;
        if (runMode_ == rmUninstaller) {
            if (runCode_ == rcUninstall)
                SetProgressStage(1);
            else
                wizard_.ShowPage(theme_.singlePageMode ? 2 : 6, flowKind_);
            wizard_.SetTitle(GetString(98));
            if (runCode_ == rcUninstall && StartUninstallerCopy()) Exit();
            return true;
        }
        if (runMode_ == rmSetLongName) {
            LogLine(L"Process SetLongName Started");
            SendLongNameToAssistant();
            return true;
        }
        if (!networkNeeded_) return true;
        SetProgressStage(3);
        if (!networkReady_ && !StartNetwork()) {
            ShowError(71);
            return true;
        }
        if (runMode_ == rmInstall && !theme_.singlePageMode)
            RequestLicence();
        else
            RequestManifest();
        return true;
    } catch (...) {
        return false;
    }
}

void CLogic::ShowError(int stringId) { ShowError(GetString(stringId)); }

void CLogic::ShowError(const std::wstring& text) { wizard_.ShowMessage(kActionError, text, mbbOk, true); }

void CLogic::SetProgressStage(int stage) {
    static const struct { int stage; int string; } kStages[] = {
        {1, 84}, {3, 82}, {4, 73}, {5, 77}, {6, 88}, {7, 87}};
    int text = 85;
    for (const auto& s : kStages)
        if (s.stage == stage) text = s.string;
    if (stage == 6) waitingForTasks_ = true;
    const std::wstring caption = GetString(text);
    wizard_.SetText(Id("firstpage_info"), caption);
    wizard_.SetText(Id(theme_.singlePageMode ? "single_install_text_progress_info" : "headline_firstpage_info"),
                    caption);
    if (theme_.singlePageMode) {
        wizard_.ShowPage(4, flowKind_);
    } else {
        wizard_.ShowControl(Id("cancel_firstpage"), stage != 1 && stage != 7);
        wizard_.ShowPage(11, flowKind_);
    }
}
