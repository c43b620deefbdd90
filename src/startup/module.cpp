#include "module.h"

namespace {
HINSTANCE g_instance = nullptr;
}

void SetModuleInstance(HINSTANCE instance) { g_instance = instance; }

HINSTANCE ModuleInstance() { return g_instance; }

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(module, &path[0], DWORD(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}
