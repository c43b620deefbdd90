#include "logic/uninstallation.h"

#include "logic/assistant_link.h"
#include "logic/client_link.h"
#include "logic/control_ids.h"
#include "logic/installation.h"
#include "logic/language_texts.h"
#include "logic/tray.h"
#include "logic/wizard_flow.h"
#include "startup/folders.h"
#include "startup/text.h"
#include "system/process_list.h"
#include "system/temporary_copy.h"

namespace {

// A path that arrived without its quotes goes on as an empty quoted one, so
// that the copy's command line still parses into the same parts.
std::wstring KeptQuotedPath(const std::wstring& quoted) {
    return quoted.size() >= 2 && quoted.front() == L'"' && quoted.back() == L'"' ? quoted : L"\"\"";
}

}  // namespace

bool CUninstallation::StartTemporaryUninstaller() {
    const std::wstring arguments =
        ctx_.portable ? L"/ug " + KeptQuotedPath(ctx_.uninstallShortcut) + L" " + OwnFolder() : L"/u " + OwnFolder();
    std::wstring line;
    const TemporaryCopyResult result = StartTemporaryCopy(L"UNS", arguments, line);
    if (result == TemporaryCopyResult::CopyFailed) {
        ctx_.host->ShowError(96);
        return false;
    }
    LogLine(L"Command line to run temporary uninstaller: " + line);
    if (result == TemporaryCopyResult::StartFailed) {
        ctx_.host->ShowError(97);
        LogLine(L"Failed to start temporary uninstaller");
        return false;
    }
    LogLine(L"Temporary uninstaller successfully started");
    return true;
}

void CUninstallation::ProcessUninstall() {
    const bool portable = ctx_.runCode == rcUninstallGuest;
    LogLine(std::wstring(L"Process Uninstall Started in ") + (portable ? L"Guest mode" : L"Standard mode"));
    ctx_.installation->ClearVirtualStore();
    const bool othersEnded = ctx_.client->NotifyOtherInstances(1);
    Sleep(100);
    if (!othersEnded) {
        ctx_.host->ShowError(108);
        return;
    }
    if (!portable) {
        ctx_.assistant->RunAssistant(eLauncherCmd_Uninstall);
        return;
    }
    ctx_.flow->ShowWorkPage(78);
    ctx_.host->ShowWorkProgress(0);
    ctx_.tray->ShowTrayIcon(false);
    const std::wstring& folder = ctx_.installFolder;
    if (!TerminateProcessesWithModulePath(folder + L"\\" + Utf8ToWide(ctx_.settings.process))) {
        ctx_.host->ShowError(108);
        return;
    }
    LogLine(L"Install Folder: " + folder);
    // Only a portable installation is removed: a damaged or foreign command
    // line must not empty some other folder.
    if (folder.size() < 4 || !IsDirectory(folder) || !FileExists(folder + L"\\guest.dat")) {
        LogLine(L"Process Uninstall Finished");
        ShowResult(99);
        return;
    }
    UninstallerInput input;
    input.hwnd = ctx_.wizard.Window();
    input.shortcutPath = ctx_.uninstallShortcut;
    input.folder = folder;
    input.launcherName = L"Launcher.exe";
    input.fullName = Utf8ToWide(ctx_.settings.fullName);
    if (!thread_.Start(input)) ShowResult(99);
}

void CUninstallation::OnAssistantResult(int32_t result) {
    if (result == eAssistantCntKillProcess)
        ctx_.host->ShowError(108);
    else
        FinishUninstall(result == 0);
}

void CUninstallation::OnThreadFinished(LPARAM result) {
    thread_.Stop(INFINITE);
    FinishUninstall(result == 0);
}

void CUninstallation::FinishUninstall(bool success) { ShowResult(success ? 100 : 99); }

void CUninstallation::ShowResult(int stringId) {
    LogLine(L"Uninstall result: " + GetString(stringId));
    ctx_.texts->SetControlText(ControlIdForFunc("progress_info"), stringId);
    ctx_.flow->ShowPage(ctx_.theme.singlePageMode ? kSinglePageUninstallResult : kPageUninstallResult);
}
