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

int CAssistantProgress::Step() {
    ++stepCount_;
    if (stepTotal_ < 1) return -1;
    // 64-bit: a walk of more than 21 million files must not overflow.
    const int64_t q = ((int64_t(stepCount_) * 100) / stepTotal_) * 98 / 100;
    const int32_t p = int32_t(q + 1);
    if (p == lastPercent_) return -1;
    lastPercent_ = p;
    return p < 1 ? 1 : p > 99 ? 99 : p;
}
