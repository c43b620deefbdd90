#pragma once
// The one owner of operating-system handles: CHandleT<Traits> is move-only,
// closes what it holds on every exit path, and keeps the caller's
// GetLastError across the close, so a failed call's code survives the
// clean-up of the handles around it. A traits class names the handle type,
// its invalid value and its close function; every kind of handle the
// launcher holds has one below or beside the code that opens it.

#include <windows.h>

#include <utility>

template <class Traits>
class CHandleT {
public:
    using Type = typename Traits::Type;

    CHandleT() = default;
    explicit CHandleT(Type h) : h_(h) {}
    CHandleT(const CHandleT&) = delete;
    CHandleT& operator=(const CHandleT&) = delete;
    CHandleT(CHandleT&& o) noexcept : h_(o.Release()) {}
    CHandleT& operator=(CHandleT&& o) noexcept {
        if (this != &o) Reset(o.Release());
        return *this;
    }
    ~CHandleT() { Reset(); }

    Type Get() const { return h_; }
    bool IsValid() const { return Traits::IsValid(h_); }
    explicit operator bool() const { return IsValid(); }
    // Gives up ownership without closing.
    Type Release() { return std::exchange(h_, Traits::Invalid()); }
    // Closes the held handle and takes `h`.
    void Reset(Type h = Traits::Invalid()) {
        if (IsValid()) {
            const DWORD error = GetLastError();
            Traits::Close(h_);
            SetLastError(error);
        }
        h_ = h;
    }

private:
    Type h_ = Traits::Invalid();
};

// Files, pipes and find-change handles: invalid is INVALID_HANDLE_VALUE
// (null is never a valid file handle either).
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static bool IsValid(Type h) { return h != INVALID_HANDLE_VALUE && h != nullptr; }
    static void Close(Type h) { CloseHandle(h); }
};
// Events, mutexes, processes, threads: invalid is null.
struct KernelHandleTraits : FileHandleTraits {
    static Type Invalid() { return nullptr; }
};
// FindFirstFile searches.
struct FindHandleTraits : FileHandleTraits {
    static void Close(Type h) { FindClose(h); }
};
struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { RegCloseKey(h); }
};
struct MenuTraits {
    using Type = HMENU;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { DestroyMenu(h); }
};
// Pens, brushes, bitmaps, fonts, regions.
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { DeleteObject(h); }
};
// A device context made with CreateCompatibleDC.
struct MemoryDcTraits {
    using Type = HDC;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { DeleteDC(h); }
};
// A device context taken with GetDC: released with the window it came from.
struct WindowDc {
    HWND window = nullptr;
    HDC dc = nullptr;
};
struct WindowDcTraits {
    using Type = WindowDc;
    static Type Invalid() { return {}; }
    static bool IsValid(const Type& h) { return h.dc != nullptr; }
    static void Close(const Type& h) { ReleaseDC(h.window, h.dc); }
};

using CFile = CHandleT<FileHandleTraits>;
using CHandle = CHandleT<KernelHandleTraits>;
using CFindHandle = CHandleT<FindHandleTraits>;
using CRegKeyHandle = CHandleT<RegistryKeyTraits>;
using CMenuHandle = CHandleT<MenuTraits>;
using CGdiObject = CHandleT<GdiObjectTraits>;
using CMemoryDc = CHandleT<MemoryDcTraits>;
using CWindowDc = CHandleT<WindowDcTraits>;

// The device context of a window (null: the screen), released on scope exit.
inline CWindowDc TakeWindowDc(HWND window) { return CWindowDc(WindowDc{window, GetDC(window)}); }
