#pragma once
// Owner of an item identifier list the shell hands out (freed with
// CoTaskMemFree). Any thread.

#include "startup/handle.h"

#include <shlobj.h>

struct ItemIdListTraits {
    using Type = LPITEMIDLIST;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { CoTaskMemFree(h); }
};
using CItemIdList = CHandleT<ItemIdListTraits>;
