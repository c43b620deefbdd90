#include "system/process_list.h"

#include <psapi.h>

namespace {

constexpr DWORD kFindAccess = PROCESS_QUERY_LIMITED_INFORMATION | PROCESS_TERMINATE | SYNCHRONIZE;

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

bool SamePath(const std::wstring& a, const std::wstring& b) { return !a.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0; }

}  // namespace

std::optional<std::vector<DWORD>> ListProcessIds() {
    DWORD ids[1024];
    DWORD bytes = 0;
    if (!EnumProcesses(ids, sizeof ids, &bytes)) return std::nullopt;
    return std::vector<DWORD>(ids, ids + bytes / sizeof(DWORD));
}

std::wstring ProcessImagePath(HANDLE process) {
    wchar_t path[MAX_PATH * 2];
    DWORD length = DWORD(std::size(path));
    if (!QueryFullProcessImageNameW(process, 0, path, &length)) return {};
    return std::wstring(path, length);
}

std::vector<FoundProcess> FindProcessesWithPath(const std::vector<DWORD>& ids, const std::wstring& path, DWORD skip) {
    std::vector<FoundProcess> found;
    for (DWORD id : ids) {
        if (id == 0 || id == skip) continue;
        CHandle process(OpenProcess(kFindAccess, FALSE, id));
        // A process this user may not end is still one of them when its
        // path can be read; ending it then fails.
        if (!process.IsValid()) {
            const CHandle reader(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
            if (reader.IsValid() && SamePath(ProcessImagePath(reader.Get()), path)) found.push_back({id, CHandle()});
            continue;
        }
        if (SamePath(ProcessImagePath(process.Get()), path)) found.push_back({id, std::move(process)});
    }
    return found;
}

std::vector<DWORD> ProcessesWithModulePath(const std::wstring& path, DWORD skip) {
    std::vector<DWORD> ids;
    for (const FoundProcess& p : FindProcessesWithPath(ListProcessIds().value_or(std::vector<DWORD>()), path, skip))
        ids.push_back(p.id);
    return ids;
}

std::vector<HWND> ProcessTopLevelWindows(DWORD processId) {
    WindowSearch search{processId, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

bool TerminateFoundProcess(const FoundProcess& process) {
    if (!process.handle.IsValid() || !TerminateProcess(process.handle.Get(), 0)) return false;
    WaitForSingleObject(process.handle.Get(), 1000);
    return true;
}

bool TerminateProcessesWithPath(const std::optional<std::vector<DWORD>>& ids, const std::wstring& path, DWORD skip) {
    if (!ids) return false;
    bool all = true;
    for (const FoundProcess& p : FindProcessesWithPath(*ids, path, skip))
        if (!TerminateFoundProcess(p)) all = false;
    return all;
}

bool TerminateProcessesWithModulePath(const std::wstring& path) {
    return TerminateProcessesWithPath(ListProcessIds(), path, GetCurrentProcessId());
}

std::wstring QuotedCommandLine(const std::wstring& program, const std::wstring& arguments) {
    std::wstring line = L"\"" + program + L"\"";
    if (!arguments.empty()) line += L" " + arguments;
    return line;
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
