// Entry points whose work belongs to parts of the system that are not
// built yet. Each reports the neutral result named in its comment so the
// flows around it run; nothing here pretends the work was done.

#include "logic/pending_parts.h"

// Long-name actions (renaming): none pending, so nothing ends the launcher.
bool CPendingParts::RunPendingLongNameAction() { return false; }

void CPendingParts::SendLongNameToAssistant() {}

// The runtime update's download (KB) and the affiliate request belong to
// the operating-system checks; nothing asks for them yet.
void CPendingParts::OnKbProgress(uint32_t, int32_t) {}

void CPendingParts::OnKbData(CBuffer&) { LogLine(L"OnKbData (not handled yet)"); }

void CPendingParts::OnKind6Complete() {}

// Configured actions: none are run yet, so the update cycle goes on as if
// none were configured.
void CPendingParts::RunConfiguredActions(bool& exitRequested) { exitRequested = false; }

// Follow-ups of assistant results. Each logs what it leaves undone; the
// flows they continue arrive with installation, runtime update,
// shortcuts and renaming.
void CPendingParts::AfterRuntimeInstalled() { LogLine(L"Runtime update follow-up: not available yet"); }

void CPendingParts::FinishLongName() { LogLine(L"Renaming follow-up: not available yet"); }

void CPendingParts::ResumeAfterRuntimeUpdate() { LogLine(L"Runtime update answer: not available yet"); }
