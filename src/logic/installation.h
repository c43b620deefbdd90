#pragma once
// Installation steps the wizard's buttons start: a portable installation
// prepares its folder here; a standard one goes through the assistant.
// Both continue by copying the launcher and letting the check go on.
// UI thread only.

#include "logic/logic_context.h"

class CInstallation {
public:
    explicit CInstallation(LogicContext& ctx) : ctx_(ctx) {}

    void StartInstallation();
    void ContinueInstallation();

private:
    LogicContext& ctx_;
};
