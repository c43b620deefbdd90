#pragma once
// The assistant's progress rules, kept apart from the messages that carry
// them: a report closer than 56 ms to the previous message is dropped
// (0 and 100 always go out), and a step counter maps steps done to 1..99.
// Used by the assistant's main thread only. Portable.

#include <cstdint>

class CAssistantProgress {
public:
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
};
