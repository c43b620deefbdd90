#pragma once
// Owner of a WinINet handle (root, connection or request). Closing happens
// on the thread that owns the handle (the transport thread).

#include "startup/handle.h"

#include <wininet.h>

struct InternetHandleTraits {
    using Type = HINTERNET;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { InternetCloseHandle(h); }
};
using CInternetHandle = CHandleT<InternetHandleTraits>;
