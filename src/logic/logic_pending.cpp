// Entry points of the logic object whose work belongs to parts of the
// system that are not built yet. Each reports the neutral result named in
// its comment so the flows around it run; nothing here pretends the work
// was done.

#include "logic.h"

#include "startup/module_resources.h"

// Long-name actions (renaming): none pending, so nothing ends the launcher.
bool CLogic::RunPendingLongNameAction() { return false; }

// Client update data: the CUD.dat path and the SERVER_URL slot list are
// prepared; the server URL selector itself is not built yet.
bool CLogic::PrepareClientUpdateData() {
    cudPath_ = installFolder_.empty() ? OwnFolder() + L"\\CUD.dat" : installFolder_ + L"\\CUD.dat";
    ReadServerUrlSlot();
    return true;
}

// Client coordination: no client process is looked for yet.
bool CLogic::ClientsStillRunning() { return false; }
ESilentDownloadMode CLogic::DecideSilentMode() { return sdmFull; }
bool CLogic::FindAndFocusClientWindow() { return false; }
void CLogic::SwitchToSilentDownload() {}

// Wizard texts and the taskbar identity arrive with the skinned pages and shortcuts.
void CLogic::InitTextControls() {}
void CLogic::SetApplicationIdentity() {}

// Installation records: treated as writable until the rights check exists.
bool CLogic::RecordsWritable() { return true; }

// Self-replacement: this file is the launcher to run, so the flow goes on.
bool CLogic::ReplaceLoader() { return true; }

// Uninstallation and the assistant: nothing can be started yet.
bool CLogic::StartUninstallerCopy() { return false; }
void CLogic::SendLongNameToAssistant() {}

// Network: the transport does not exist yet, so it cannot start and the
// user sees string 71.
bool CLogic::StartNetwork() { return false; }

void CLogic::HandleLaterMessage(const wchar_t* name, WPARAM, LPARAM) { LogLine(std::wstring(name) + L" (not handled yet)"); }

// Follow-ups of assistant results. Each logs what it leaves undone; the
// flows they continue arrive with installation, runtime update,
// uninstallation, shortcuts and renaming.
std::wstring CLogic::CurrentServerUrl() const {
    // The server URL selector is not built: the first SERVER_URL slot serves.
    const std::vector<std::string> urls = ReadServerUrlSlot();
    return urls.empty() ? std::wstring() : std::wstring(urls.front().begin(), urls.front().end());
}
void CLogic::AfterAssistantInstall() { LogLine(L"Installation continues: not available yet"); }
void CLogic::AfterRuntimeInstalled() { LogLine(L"Runtime update follow-up: not available yet"); }
void CLogic::FinishAssistantUninstall(bool success) {
    LogLine(success ? L"Uninstall finished: OK" : L"Uninstall finished: with errors");
}
void CLogic::UpdateUserDesktopShortcuts() { LogLine(L"Desktop shortcuts: not available yet"); }
void CLogic::ContinueDownloadAfterIcons() { LogLine(L"Download after shortcuts: not available yet"); }
void CLogic::FinishLongName() { LogLine(L"Renaming follow-up: not available yet"); }
