#include "thread.h"

#include <process.h>

namespace {

// Names the current thread for debuggers where the system offers it.
void AnnounceName(const std::string& name) {
    using SetDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    auto fn = reinterpret_cast<SetDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (fn) fn(GetCurrentThread(), std::wstring(name.begin(), name.end()).c_str());
}

}  // namespace

CThread::CThread(std::string name) : name_(std::move(name)) {}

CThread::~CThread() {
    if (handle_.IsValid()) WaitForSingleObject(handle_.Get(), INFINITE);
}

unsigned __stdcall CThread::Trampoline(void* parameter) {
    auto* self = static_cast<CThread*>(parameter);
    if (!self) return 1;
    if (!self->name_.empty()) AnnounceName(self->name_);
    self->Run();
    return 0;
}

bool CThread::CreateThread() {
    if (handle_.IsValid()) return false;
    const uintptr_t h = _beginthreadex(nullptr, 0, &CThread::Trampoline, this, CREATE_SUSPENDED, nullptr);
    if (!h) return false;
    handle_.Reset(reinterpret_cast<HANDLE>(h));
    return ResumeThread(handle_.Get()) != DWORD(-1);
}

bool CThread::Start() { return CreateThread(); }

void CThread::Terminate() {
    if (!handle_.IsValid()) return;
    TerminateThread(handle_.Get(), 0);
    terminated_ = true;
    WaitForSingleObject(handle_.Get(), INFINITE);  // termination is asynchronous
    handle_.Reset();
}

bool CThread::Stop(DWORD limit) {
    if (!handle_.IsValid()) return true;
    const bool ended = WaitForSingleObject(handle_.Get(), limit) == WAIT_OBJECT_0;
    if (!ended && limit != INFINITE) {
        Terminate();
        return false;
    }
    handle_.Reset();
    return ended;
}
