#pragma once
// COM for the duration of a scope, and one reference to a COM interface
// released with its holder. The thread that made them.

#include <windows.h>
#include <objbase.h>

// COM on the calling thread for the life of the object.
class CComScope {
public:
    CComScope() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
    CComScope(const CComScope&) = delete;
    CComScope& operator=(const CComScope&) = delete;
    ~CComScope() {
        if (ok_) CoUninitialize();
    }
    bool Ok() const { return ok_; }

private:
    bool ok_;
};

// One reference to a COM interface, released with the holder.
template <class T>
class CComRef {
public:
    CComRef() = default;
    CComRef(const CComRef&) = delete;
    CComRef& operator=(const CComRef&) = delete;
    ~CComRef() {
        if (p_) p_->Release();
    }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    // The out-parameter of the call that fills an empty holder.
    void** Out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};
