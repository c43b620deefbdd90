// The assistant's process killer: ends every process started from a file.

#include "startup/handle.h"
#include "system/launcher_assistant.h"

#include <psapi.h>

bool CLauncherAssistant::KillProcesses(const std::wstring& path) {
    LogLine(L"KillProcesses: " + path);
    DWORD ids[1024];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof ids, &bytes)) return false;
    const DWORD count = bytes / sizeof(DWORD);
    for (DWORD i = 0; i < count; ++i) {
        // The assistant never ends itself: its answer would be lost.
        if (ids[i] == 0 || ids[i] == GetCurrentProcessId()) continue;
        CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE | SYNCHRONIZE,
                                    FALSE, ids[i]));
        if (!process.IsValid()) continue;
        wchar_t name[MAX_PATH] = L"<unknown>";
        HMODULE module = nullptr;
        DWORD needed = 0;
        if (!EnumProcessModules(process.Get(), &module, sizeof module, &needed) ||
            !GetModuleFileNameExW(process.Get(), module, name, MAX_PATH))
            wcscpy(name, L"<unknown>");
        if (_wcsicmp(name, path.c_str()) != 0) continue;
        LogFormat(L"  terminate %lu: %ls", ids[i], name);
        if (!TerminateProcess(process.Get(), 0)) {
            WaitForSingleObject(process.Get(), 1000);
            return false;
        }
        // Termination completes asynchronously; callers go on to delete its files.
        WaitForSingleObject(process.Get(), 1000);
    }
    return true;
}
