#pragma once
// A worker's lock: one CRITICAL_SECTION owned for the object's lifetime,
// entered for one scope through CCriticalSection::Scope (or only tried,
// when the caller must not wait).

#include <windows.h>

class CCriticalSection {
public:
    CCriticalSection() { InitializeCriticalSection(&cs_); }
    ~CCriticalSection() { DeleteCriticalSection(&cs_); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    class Scope {
    public:
        explicit Scope(CCriticalSection& lock, bool wait = true)
            : cs_(lock.cs_), entered_(wait ? (EnterCriticalSection(&cs_), true) : TryEnterCriticalSection(&cs_) != FALSE) {}
        ~Scope() {
            if (entered_) LeaveCriticalSection(&cs_);
        }
        // False when the lock was only tried and another thread held it.
        bool Entered() const { return entered_; }
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        CRITICAL_SECTION& cs_;
        const bool entered_;
    };

private:
    CRITICAL_SECTION cs_;
};
