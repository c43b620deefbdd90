#include "wakeable_thread.h"

CWakeableThread::CWakeableThread(std::string name, std::function<void()> job)
    : CThread(std::move(name)), job_(std::move(job)) {}

CWakeableThread::~CWakeableThread() { Stop(INFINITE); }

bool CWakeableThread::Start() {
    if (HasThread()) return false;
    wake_.Reset(CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stop_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!wake_.IsValid() || !stop_.IsValid()) return false;
    return CThread::Start();
}

bool CWakeableThread::Stop(DWORD limit) {
    if (stop_.IsValid()) SetEvent(stop_.Get());
    return CThread::Stop(limit);
}

void CWakeableThread::Wake() {
    if (wake_.IsValid()) SetEvent(wake_.Get());
}

void CWakeableThread::Run() {
    const HANDLE events[2] = {stop_.Get(), wake_.Get()};
    while (WaitForMultipleObjects(2, events, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) job_();
}
