#include "gui/control_states.h"

int GuiStateIndex(bool enabled, bool pressed, bool hover) {
    if (!enabled) return 3;
    if (pressed) return 2;
    return hover ? 1 : 0;
}

int CheckBoxSprite(bool enabled, bool checked, bool pressed, bool hover) {
    if (!enabled) return 6;
    const int base = checked ? 1 : 0;
    if (pressed) return base + 2;
    return hover ? base + 4 : base;
}

int32_t ProgressClipWidth(int32_t width, float percent) {
    if (percent <= 0) return 0;
    if (percent > 100) percent = 100;
    return int32_t(float(width) / 100.0f * percent);
}

float WaitingBarValue(uint64_t elapsedMs) {
    constexpr uint64_t kPeriod = 5000;
    float phase = float(elapsedMs % kPeriod) / float(kPeriod);
    if (phase > 0.5f) phase = 1.0f - phase;
    return phase * 200.0f;
}

int32_t WaitingBarSegmentX(int32_t left, int32_t width, int32_t segment, float value) {
    return left + int32_t(float(width - segment) * value / 100.0f);
}
