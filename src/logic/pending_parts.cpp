// Entry points whose work belongs to parts of the system that are not
// built yet. Each reports the neutral result named in its comment so the
// flows around it run; nothing here pretends the work was done.

#include "logic/pending_parts.h"

// Uninstallation and the assistant: nothing can be started yet.
bool CPendingParts::StartUninstallerCopy() { return false; }

// The runtime update's download (KB) and the affiliate request belong to
// the operating-system checks; nothing asks for them yet.
void CPendingParts::OnKbProgress(uint32_t, int32_t) {}

void CPendingParts::OnKbData(CBuffer&) { LogLine(L"OnKbData (not handled yet)"); }

void CPendingParts::OnKind6Complete() {}

void CPendingParts::HandleLaterMessage(const wchar_t* name, WPARAM, LPARAM) { LogLine(std::wstring(name) + L" (not handled yet)"); }

// Follow-ups of assistant results. Each logs what it leaves undone; the
// flows they continue arrive with the runtime update and uninstallation.
void CPendingParts::AfterRuntimeInstalled() { LogLine(L"Runtime update follow-up: not available yet"); }

void CPendingParts::FinishAssistantUninstall(bool success) {
    LogLine(success ? L"Uninstall finished: OK" : L"Uninstall finished: with errors");
}

void CPendingParts::StartUninstallation() { LogLine(L"Uninstallation: not available yet"); }

void CPendingParts::ResumeAfterRuntimeUpdate() { LogLine(L"Runtime update answer: not available yet"); }
