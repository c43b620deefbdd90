// Entry points of the logic object whose work belongs to parts of the
// system that are not built yet. Each reports the neutral result named in
// its comment so the flows around it run; nothing here pretends the work
// was done.

#include "logic.h"


// Long-name actions (renaming): none pending, so nothing ends the launcher.
bool CLogic::RunPendingLongNameAction() { return false; }

// The taskbar identity arrives with the shortcuts.
void CLogic::SetApplicationIdentity() {}

// Installation records: treated as writable until the rights check exists.
bool CLogic::RecordsWritable() { return true; }

// Uninstallation and the assistant: nothing can be started yet.
bool CLogic::StartUninstallerCopy() { return false; }
void CLogic::SendLongNameToAssistant() {}

// The runtime update's download (KB) and the affiliate request belong to
// the operating-system checks; nothing asks for them yet.
void CLogic::OnKbProgress(uint32_t, int32_t) {}
void CLogic::OnKbData(CBuffer&) { LogLine(L"OnKbData (not handled yet)"); }
void CLogic::OnKind6Complete() {}

// Configured actions and the external add-on programs: none are run yet,
// so the update cycle goes on as if none were configured.
void CLogic::RunConfiguredActions(bool& exitRequested) { exitRequested = false; }
void CLogic::RunExternalApplications() {}

void CLogic::HandleLaterMessage(const wchar_t* name, WPARAM, LPARAM) { LogLine(std::wstring(name) + L" (not handled yet)"); }

// Follow-ups of assistant results. Each logs what it leaves undone; the
// flows they continue arrive with installation, runtime update,
// uninstallation, shortcuts and renaming.
void CLogic::AfterAssistantInstall() { LogLine(L"Installation continues: not available yet"); }
void CLogic::AfterRuntimeInstalled() { LogLine(L"Runtime update follow-up: not available yet"); }
void CLogic::FinishAssistantUninstall(bool success) {
    LogLine(success ? L"Uninstall finished: OK" : L"Uninstall finished: with errors");
}
void CLogic::UpdateUserDesktopShortcuts() { LogLine(L"Desktop shortcuts: not available yet"); }
void CLogic::ContinueDownloadAfterIcons() { processStartDownload(); }
void CLogic::FinishLongName() { LogLine(L"Renaming follow-up: not available yet"); }
