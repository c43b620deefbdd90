#pragma once
// Move-only owners of kernel handles. CFile holds file handles (invalid
// value INVALID_HANDLE_VALUE); CHandle holds handles whose invalid value is
// null (events, mutexes, processes, threads). Every exit path closes.

#include <windows.h>

#include <utility>

struct FileHandleTraits {
    static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
};
struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
};

template <class Traits>
class CFileT {
public:
    CFileT() = default;
    explicit CFileT(HANDLE h) : h_(h) {}
    CFileT(const CFileT&) = delete;
    CFileT& operator=(const CFileT&) = delete;
    CFileT(CFileT&& o) noexcept : h_(o.Release()) {}
    CFileT& operator=(CFileT&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    virtual ~CFileT() { Reset(); }

    HANDLE Get() const { return h_; }
    bool IsValid() const { return h_ != Traits::Invalid() && h_ != nullptr; }
    // Gives up ownership without closing.
    HANDLE Release() { return std::exchange(h_, Traits::Invalid()); }
    // Closes the held handle and takes `h`.
    void Reset(HANDLE h = Traits::Invalid()) {
        if (IsValid()) CloseHandle(h_);
        h_ = h;
    }

private:
    HANDLE h_ = Traits::Invalid();
};

using CFile = CFileT<FileHandleTraits>;
using CHandle = CFileT<KernelHandleTraits>;
