#pragma once
// Registry keys for tests. Test processes run side by side under CTest and
// share HKEY_CURRENT_USER, so each process works below its own key.

#include <windows.h>

#include <string>

inline std::wstring TestRegistryRoot() {
    return L"Software\\LauncherTests\\p" + std::to_wstring(GetCurrentProcessId());
}

inline std::string TestRegistryRootA() {
    return "Software\\LauncherTests\\p" + std::to_string(GetCurrentProcessId());
}

inline void RemoveTestRegistryRoot() { RegDeleteTreeW(HKEY_CURRENT_USER, TestRegistryRoot().c_str()); }
