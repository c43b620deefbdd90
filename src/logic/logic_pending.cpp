// Entry points of the logic object whose work belongs to parts of the
// system that are not built yet. Each reports the neutral result named in
// its comment so the flows around it run; nothing here pretends the work
// was done.

#include "logic.h"

#include "startup/module_resources.h"

// Long-name actions (renaming): none pending, so nothing ends the launcher.
bool CLogic::RunPendingLongNameAction() { return false; }

// The unpacker's full work after a background download is handed back
// arrives with the update cycle.
void CLogic::ResumeFullUnpacking() {}

// Wizard texts and the taskbar identity arrive with the skinned pages and shortcuts.
void CLogic::InitTextControls() {}
void CLogic::SetApplicationIdentity() {}

// Installation records: treated as writable until the rights check exists.
bool CLogic::RecordsWritable() { return true; }

// Uninstallation and the assistant: nothing can be started yet.
bool CLogic::StartUninstallerCopy() { return false; }
void CLogic::SendLongNameToAssistant() {}

// Network: the transport does not exist yet, so it cannot start and the
// user sees string 71.
bool CLogic::StartNetwork() { return false; }

void CLogic::HandleLaterMessage(const wchar_t* name, WPARAM, LPARAM) { LogLine(std::wstring(name) + L" (not handled yet)"); }
