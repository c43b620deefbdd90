#pragma once
// The progress rules of the assistant and the portable uninstaller, kept
// apart from the messages that carry them: a report closer than 56 ms to
// the previous message is dropped (0 and 100 always go out), and a step
// counter maps steps done to 1..99. Each object is used by one thread, the
// one doing the counted work. Portable.

#include <cstdint>

// The percentage of `count` steps out of `total`, scaled to 1 + `scale`
// percent (the assistant leaves 98 points for its walk, the uninstaller
// thread 99) and clamped to 1..99; 1 when there is no total.
int StepPercent(int64_t count, int64_t total, int scale);

class CAssistantProgress {
public:
    static constexpr int kAssistantScale = 98;
    static constexpr int kUninstallerScale = 99;

    explicit CAssistantProgress(int scale = kAssistantScale) : scale_(scale) {}

    // Whether a report of `percent` at tick `now` is sent; remembers the
    // time when it is.
    bool Admit(int percent, uint32_t now);
    // Starts counting `total` steps of a long operation.
    void SetStepTotal(int total);
    // Counts one step; the percentage to report, or -1 when it did not change.
    int Step();

private:
    uint32_t lastSend_ = 0;
    int32_t stepTotal_ = 1;
    int32_t stepCount_ = 0;
    int32_t lastPercent_ = 0;
    int scale_;
};
