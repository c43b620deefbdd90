#pragma once
// Entry points whose work belongs to the runtime update, which is not
// built yet. Each reports the neutral result named in its comment so the
// flows around it run; nothing here pretends the work was done. UI thread
// only.

#include "logic/logic_context.h"
#include "startup/buffer.h"

#include <cstdint>

class CPendingParts {
public:
    explicit CPendingParts(LogicContext& ctx) : ctx_(ctx) {}

    void AfterRuntimeInstalled();
    // The wizard's request that the runtime-update flow answers.
    void ResumeAfterRuntimeUpdate();
    void OnKbProgress(uint32_t received, int32_t size);
    void OnKbData(CBuffer& body);
    void OnKind6Complete();

private:
    LogicContext& ctx_;
};
