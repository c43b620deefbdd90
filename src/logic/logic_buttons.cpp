// What the wizard's buttons do for the update cycle: continuing after the
// server information (installation step), launching, and the message
// buttons. UI thread only.

#include "logic.h"

#include "logic/control_ids.h"
#include "startup/folders.h"
#include "startup/module.h"
#include "startup/text.h"
#include "startup/xml_path.h"
#include "system/copy_whole_file.h"

#include <cwctype>

namespace {

// The message page's edit box.
constexpr int kEditBox = 12417;

int Id(const char* func) { return ControlIdForFunc(func); }

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void CLogic::OnControl(int id) {
    if (id == Id("close") || id == Id("close_uninstall")) {
        Exit();
    } else if (id == Id("next_icons") || id == Id("next_extapp")) {
        // External applications are offered by the installation pages; with
        // none to offer, the installation step follows at once.
        StartInstallation();
    } else if (id == Id("single_install_button_install")) {
        if (runMode_ == rmUninstaller) {
            Exit();
            return;
        }
        StartInstallation();
    } else if (id == Id("language")) {
        OnLanguageBoxChange();
    } else if (id == Id("launch")) {
        PressLaunch();
    } else if (id == Id("mbox_ok") || id == Id("mbox_retry") || id == Id("mbox_cancel") || id == Id("mbox_yes") ||
               id == Id("mbox_no")) {
        OnMessageButton(id);
    }
}

void CLogic::OnMessageButton(int id) {
    const int action = wizard_.MessageAction();
    if (id == Id("mbox_cancel")) {
        Exit();
    } else if (id == Id("mbox_yes")) {
        if (action == kActionCancelAssistant) CancelAssistant();
        Exit();
    } else if (id == Id("mbox_retry")) {
        switch (action) {
        case kActionRetryLicence: RequestLicence(); break;
        case kActionRetryManifest: RequestManifest(); break;
        case kActionRetryFiles: StartNextDownload(); break;
        case kActionRetryAssistant: RunAssistant(assistantCommand_); break;
        default: break;
        }
    } else if (id == Id("mbox_ok")) {
        if (action == kActionCustomUrl) {
            if (urlSelector_.SetCustomUrl(WideToUtf8(wizard_.Text(kEditBox)))) {
                downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
                RestartServerInfo();
            } else {
                wizard_.ShowMessage(action, lastErrorText_, mbbOk, true);
            }
        } else if (action == kActionError && runMode_ == rmInstall) {
            wizard_.ShowPage(theme_.singlePageMode ? 4 : 2, flowKind_);
        } else if (action == kActionError || action == kActionCancel || action == kActionQuit) {
            Exit();
        }
    }
}

void CLogic::StartInstallation() {
    if (installFolder_.size() < 4) {
        LogLine(L"Unable create dest directory");
        ShowError(93);
        return;
    }
    if (runMode_ == rmInstall) {
        const bool guest = wizard_.IsChecked(Id(theme_.singlePageMode ? "single_install_checkbox_guest" : "checkbox_guest"));
        if (!guest) {
            // A standard installation is registered by the elevated assistant,
            // whose answer continues the installation.
            if (log_) log_->WriteNewLines(1);
            LogLine(L"--- Start Install ---");
            if (log_) log_->WriteNewLines(1);
            RunAssistant(1);
            return;
        }
        LogLine(L"Start - guest install");
        LogPart(L"prepare guest directory .. ");
        CFile marker;
        if (CreateFolderTree(installFolder_))
            marker.Reset(CreateFileW((installFolder_ + L"\\guest.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!marker.IsValid()) {
            LogLine(L"fail");
            ShowError(93);
            return;
        }
        LogLine(L"OK");
        portable_ = true;
    }
    ContinueInstallation();
}

void CLogic::ContinueInstallation() {
    if (!CreateFolderTree(installFolder_)) {
        ShowError(93);
        return;
    }
    if (runMode_ == rmInstall) {
        std::string file;
        if (!XmlText(config_.root(), "common/shortcut/@file", file) || file.empty()) file = "Launcher.exe";
        std::wstring name = Utf8ToWide(file);
        if (name.size() < 4 || _wcsicmp(name.c_str() + name.size() - 4, L".exe") != 0) name += L".exe";
        const std::wstring target = installFolder_ + L"\\" + name;
        const std::wstring self = ModulePath(nullptr);
        if (!SamePath(self, target) && !CopyWholeFile(self, target)) {
            ShowSystemErrorReport(target, GetLastError());
            return;
        }
    }
    checker_.Continue();
}

void CLogic::PressLaunch() {
    LogLine(L"ID_BTN_LAUNCH");
    SetProgressStage(5);
    SetCurrentDirectoryW((installFolder_ + L"\\").c_str());
    if (launcherUpdatePending_)
        RestartLauncher(L"Launcher.tmp.exe");
    else
        RunClient();
}
