#include "gui/clipboard_text.h"

#include "startup/handle.h"

#include <cstring>

namespace {

// The clipboard while this thread has it open.
struct OpenClipboardTraits {
    using Type = bool;
    static Type Invalid() { return false; }
    static bool IsValid(Type open) { return open; }
    static void Close(Type) { CloseClipboard(); }
};
// Movable global memory until the clipboard takes it.
struct GlobalMemoryTraits {
    using Type = HGLOBAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { GlobalFree(h); }
};
// A lock on global memory: the memory and where it lies while locked.
struct LockedMemory {
    HGLOBAL memory = nullptr;
    void* data = nullptr;
};
struct GlobalLockTraits {
    using Type = LockedMemory;
    static Type Invalid() { return {}; }
    static bool IsValid(const Type& lock) { return lock.data != nullptr; }
    static void Close(const Type& lock) { GlobalUnlock(lock.memory); }
};

using COpenClipboard = CHandleT<OpenClipboardTraits>;
using CGlobalMemory = CHandleT<GlobalMemoryTraits>;
using CGlobalLock = CHandleT<GlobalLockTraits>;

CGlobalLock Lock(HGLOBAL memory) { return CGlobalLock(LockedMemory{memory, GlobalLock(memory)}); }

}  // namespace

bool WriteClipboardText(const std::wstring& text) {
    const COpenClipboard clipboard(OpenClipboard(nullptr) != FALSE);
    if (!clipboard || !EmptyClipboard()) return false;
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    CGlobalMemory memory(GlobalAlloc(GMEM_MOVEABLE, bytes));
    if (!memory) return false;
    {
        const CGlobalLock lock = Lock(memory.Get());
        if (!lock) return false;
        std::memcpy(lock.Get().data, text.c_str(), bytes);
    }
    if (!SetClipboardData(CF_UNICODETEXT, memory.Get())) return false;
    memory.Release();  // the clipboard owns it now
    return true;
}

bool ReadClipboardText(std::wstring& text) {
    const COpenClipboard clipboard(OpenClipboard(nullptr) != FALSE);
    if (!clipboard) return false;
    // The data stays the clipboard's; it is only locked while read.
    const HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return false;
    const CGlobalLock lock = Lock(data);
    if (!lock) return false;
    const auto* chars = static_cast<const wchar_t*>(lock.Get().data);
    const size_t capacity = GlobalSize(data) / sizeof(wchar_t);
    size_t length = 0;
    while (length < capacity && chars[length]) ++length;
    text.assign(chars, length);
    return true;
}
