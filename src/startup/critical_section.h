#pragma once
// A worker's lock: one CRITICAL_SECTION owned for the object's lifetime,
// entered for one scope through CCriticalSection::Scope.

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&cs_); }
    ~CCriticalSection() { DeleteCriticalSection(&cs_); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    class Scope {
    public:
        explicit Scope(CCriticalSection& lock) : cs_(lock.cs_) { EnterCriticalSection(&cs_); }
        ~Scope() { LeaveCriticalSection(&cs_); }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CRITICAL_SECTION& cs_;
    };

private:
    CRITICAL_SECTION cs_;
};
