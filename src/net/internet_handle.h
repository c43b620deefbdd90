#pragma once
// Move-only owner of a WinINet handle (root, connection or request).
// Closing happens on the thread that owns the handle (the transport thread).

#include <windows.h>
#include <wininet.h>

#include <utility>

class CInternetHandle {
public:
    CInternetHandle() = default;
    explicit CInternetHandle(HINTERNET h) : h_(h) {}
    CInternetHandle(const CInternetHandle&) = delete;
    CInternetHandle& operator=(const CInternetHandle&) = delete;
    CInternetHandle(CInternetHandle&& o) noexcept : h_(o.Release()) {}
    CInternetHandle& operator=(CInternetHandle&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    ~CInternetHandle() { Reset(); }

    HINTERNET Get() const { return h_; }
    bool IsValid() const { return h_ != nullptr; }
    HINTERNET Release() { return std::exchange(h_, nullptr); }
    void Reset(HINTERNET h = nullptr) {
        if (h_) InternetCloseHandle(h_);
        h_ = h;
    }

private:
    HINTERNET h_ = nullptr;
};
