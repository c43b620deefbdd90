#pragma once
// A security descriptor for what only this user and the machine's
// administrators may touch: the assistant's pipe and the folder of its
// copy. Full access for the current user, Administrators (an assistant
// elevated with another administrator's account) and LocalSystem, nobody
// else; not inherited from the parent. Owns its memory. Any thread.

#include "startup/handle.h"

#include <windows.h>

// Memory the system hands out with LocalAlloc.
struct LocalMemoryTraits {
    using Type = HLOCAL;
    static Type Invalid() { return nullptr; }
    static bool IsValid(Type h) { return h != nullptr; }
    static void Close(Type h) { LocalFree(h); }
};
using CLocalMemory = CHandleT<LocalMemoryTraits>;

class COwnerOnlyDescriptor {
public:
    // False when the user cannot be read or the descriptor not built.
    bool Build();
    // Null before a successful Build.
    SECURITY_ATTRIBUTES* Attributes() { return memory_.IsValid() ? &attributes_ : nullptr; }

private:
    CLocalMemory memory_;
    SECURITY_ATTRIBUTES attributes_{};
};
