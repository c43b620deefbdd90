#include "system/process_list.h"

#include "startup/handle.h"

#include <psapi.h>

#include <vector>

namespace {

std::wstring ReadFirstModulePath(DWORD processId) {
    CHandle process(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (!process.IsValid()) return {};
    HMODULE first = nullptr;
    DWORD needed = 0;
    if (!EnumProcessModules(process.Get(), &first, sizeof first, &needed) || !first) return {};
    wchar_t path[MAX_PATH * 2];
    const DWORD length = GetModuleFileNameExW(process.Get(), first, path, DWORD(std::size(path)));
    return std::wstring(path, length);
}

struct WindowSearch {
    DWORD id;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM p) {
    auto* s = reinterpret_cast<WindowSearch*>(p);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == s->id) s->windows.push_back(window);
    return TRUE;
}

}  // namespace

std::wstring ProcessModulePath(DWORD processId) { return ReadFirstModulePath(processId); }

std::vector<DWORD> ProcessesWithModulePath(const std::wstring& path, DWORD skip) {
    DWORD ids[1024];
    DWORD bytes = 0;
    std::vector<DWORD> found;
    if (!EnumProcesses(ids, sizeof ids, &bytes)) return found;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        if (ids[i] == 0 || ids[i] == skip) continue;
        const std::wstring module = ReadFirstModulePath(ids[i]);
        if (!module.empty() && _wcsicmp(module.c_str(), path.c_str()) == 0) found.push_back(ids[i]);
    }
    return found;
}

std::vector<HWND> ProcessTopLevelWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

bool TerminateProcessById(DWORD processId) {
    CHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId));
    if (!process.IsValid() || !TerminateProcess(process.Get(), 0)) return false;
    WaitForSingleObject(process.Get(), 1000);
    return true;
}

bool TerminateProcessesWithModulePath(const std::wstring& path) {
    bool all = true;
    for (DWORD id : ProcessesWithModulePath(path, GetCurrentProcessId()))
        if (!TerminateProcessById(id)) all = false;
    return all;
}

bool StartProcess(const std::wstring& commandLine, const std::wstring& folder) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return false;
    CHandle process(pi.hProcess), thread(pi.hThread);
    return true;
}
