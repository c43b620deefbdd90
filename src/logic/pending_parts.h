#pragma once
// Entry points whose work belongs to parts of the system not built yet:
// installation records and rights, shortcuts and the taskbar identity,
// uninstallation and the runtime update.
// Each reports the neutral result named in its comment so the flows around
// it run; nothing here pretends the work was done. UI thread only.

#include "logic/logic_context.h"
#include "startup/buffer.h"

#include <cstdint>

class CPendingParts {
public:
    explicit CPendingParts(LogicContext& ctx) : ctx_(ctx) {}

    bool StartUninstallerCopy();
    void AfterRuntimeInstalled();
    void FinishAssistantUninstall(bool success);
    // The wizard's requests that the uninstallation and runtime-update
    // flows answer.
    void StartUninstallation();
    void ResumeAfterRuntimeUpdate();
    void OnKbProgress(uint32_t received, int32_t size);
    void OnKbData(CBuffer& body);
    void OnKind6Complete();
    // Messages of workers not built yet (the portable uninstaller).
    void HandleLaterMessage(const wchar_t* name, WPARAM w, LPARAM l);

private:
    LogicContext& ctx_;
};
