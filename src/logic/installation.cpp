// The installation step after the server information: a portable folder
// made here or a standard installation through the assistant, then the
// launcher's copy and the check going on. UI thread only.

#include "logic/installation.h"

#include "logic/assistant_link.h"
#include "logic/control_ids.h"
#include "logic/tray.h"
#include "logic/update_cycle.h"
#include "startup/folders.h"
#include "startup/module.h"
#include "startup/text.h"
#include "startup/xml_path.h"
#include "system/copy_whole_file.h"

#include <cwctype>

namespace {

int Id(const char* func) { return ControlIdForFunc(func); }

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

void CInstallation::StartInstallation() {
    if (ctx_.installFolder.size() < 4) {
        LogLine(L"Unable create dest directory");
        ctx_.host->ShowError(93);
        return;
    }
    if (ctx_.runMode == rmInstall) {
        const bool guest = ctx_.wizard.IsChecked(Id(ctx_.theme.singlePageMode ? "single_install_checkbox_guest" : "checkbox_guest"));
        if (!guest) {
            // A standard installation is registered by the elevated assistant,
            // whose answer continues the installation.
            if (ctx_.log) ctx_.log->WriteNewLines(1);
            LogLine(L"--- Start Install ---");
            if (ctx_.log) ctx_.log->WriteNewLines(1);
            ctx_.assistant->RunAssistant(1);
            return;
        }
        LogLine(L"Start - guest install");
        LogPart(L"prepare guest directory .. ");
        CFile marker;
        if (CreateFolderTree(ctx_.installFolder))
            marker.Reset(CreateFileW((ctx_.installFolder + L"\\guest.dat").c_str(), GENERIC_WRITE, 0, nullptr,
                                     CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!marker.IsValid()) {
            LogLine(L"fail");
            ctx_.host->ShowError(93);
            return;
        }
        LogLine(L"OK");
        ctx_.portable = true;
    }
    ContinueInstallation();
}

void CInstallation::ContinueInstallation() {
    if (!CreateFolderTree(ctx_.installFolder)) {
        ctx_.host->ShowError(93);
        return;
    }
    if (ctx_.runMode == rmInstall) {
        std::string file;
        if (!XmlText(ctx_.config.root(), "common/shortcut/@file", file) || file.empty()) file = "Launcher.exe";
        std::wstring name = Utf8ToWide(file);
        if (name.size() < 4 || _wcsicmp(name.c_str() + name.size() - 4, L".exe") != 0) name += L".exe";
        const std::wstring target = ctx_.installFolder + L"\\" + name;
        const std::wstring self = ModulePath(nullptr);
        if (!SamePath(self, target) && !CopyWholeFile(self, target)) {
            ctx_.tray->ShowSystemErrorReport(target, GetLastError());
            return;
        }
    }
    ctx_.update->state().checker.Continue();
}
