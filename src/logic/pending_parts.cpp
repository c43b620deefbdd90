// Entry points whose work belongs to the runtime update, which is not
// built yet. Each reports the neutral result named in its comment so the
// flows around it run; nothing here pretends the work was done.

#include "logic/pending_parts.h"

// The runtime update's download (KB) and the affiliate request belong to
// the operating-system checks; nothing asks for them yet.
void CPendingParts::OnKbProgress(uint32_t, int32_t) {}

void CPendingParts::OnKbData(CBuffer&) { LogLine(L"OnKbData (not handled yet)"); }

void CPendingParts::OnKind6Complete() {}

// Follow-ups of assistant results: each logs what it leaves undone.
void CPendingParts::AfterRuntimeInstalled() { LogLine(L"Runtime update follow-up: not available yet"); }

void CPendingParts::ResumeAfterRuntimeUpdate() { LogLine(L"Runtime update answer: not available yet"); }
