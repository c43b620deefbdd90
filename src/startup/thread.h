#pragma once
// A worker thread running one body (Run). Start and Stop are called by the
// owning thread; the body's own stop flags belong to the derived class.
// The destructor waits without limit for a body that still runs, so a
// derived class must stop its thread before its own members go away. A
// body that misses its stop limit is terminated; it may die holding its
// object's locks, so the object must not take them again (Terminated).

#include "startup/handle.h"

#include <windows.h>

#include <string>

class CThread {
public:
    explicit CThread(std::string name = {});
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;
    virtual ~CThread();

    // The thread body; runs on the new thread.
    virtual void Run() {}
    // False when a thread already exists.
    virtual bool Start();
    // Waits up to `limit` ms (INFINITE = no limit) for the body to end and
    // terminates it when the limit passes. True when it ended by itself.
    virtual bool Stop(DWORD limit);

    bool HasThread() const { return handle_.IsValid(); }
    // A thread of this object was ended by force; sticky.
    bool Terminated() const { return terminated_; }
    // A thread exists and its body has not ended yet.
    bool IsRunning() const { return handle_.IsValid() && WaitForSingleObject(handle_.Get(), 0) == WAIT_TIMEOUT; }

protected:
    // Creates the thread suspended and resumes it.
    bool CreateThread();
    // Ends a thread that would not stop (last resort: nothing it holds is freed).
    void Terminate();

    std::string name_;
    CHandle handle_;

private:
    bool terminated_ = false;

    static unsigned __stdcall Trampoline(void* parameter);
};
