#include "system/assistant_progress.h"

bool CAssistantProgress::Admit(int percent, uint32_t now) {
    // Unsigned difference: correct across the tick counter's wrap.
    if (percent != 0 && percent != 100 && lastSend_ != 0 && now - lastSend_ <= 55) return false;
    lastSend_ = now;
    return true;
}

void CAssistantProgress::SetStepTotal(int total) {
    stepTotal_ = total;
    stepCount_ = 0;
    lastPercent_ = 0;
}

int StepPercent(int64_t count, int64_t total, int scale) {
    if (total < 1) return 1;
    // 64-bit: a walk of more than 21 million files must not overflow.
    const int64_t p = ((count * 100) / total) * scale / 100 + 1;
    return p < 1 ? 1 : p > 99 ? 99 : int(p);
}

int CAssistantProgress::Step() {
    ++stepCount_;
    if (stepTotal_ < 1) return -1;
    const int32_t p = StepPercent(stepCount_, stepTotal_, scale_);
    if (p == lastPercent_) return -1;
    lastPercent_ = p;
    return p;
}
