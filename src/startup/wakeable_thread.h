#pragma once
// A worker thread that runs one job each time it is woken, until stopped.
// Wakes that come while the job runs are merged into one more run. The
// owner starts and stops it; Wake may be called from any thread. The job
// runs on the worker thread only and takes whatever locks it needs itself.

#include "startup/thread.h"

#include <functional>
#include <string>

class CWakeableThread : public CThread {
public:
    CWakeableThread(std::string name, std::function<void()> job);
    ~CWakeableThread() override;

    bool Start() override;
    // Ends the wait (a job under way finishes first), then as CThread::Stop.
    bool Stop(DWORD limit) override;
    void Wake();

private:
    void Run() override;

    std::function<void()> job_;
    CHandle wake_;  // auto-reset
    CHandle stop_;  // manual reset
};
