// The assistant's process killer: ends every process started from a file.

#include "system/launcher_assistant.h"

bool CLauncherAssistant::KillProcesses(const std::wstring& path) { return KillListedProcesses(ListProcessIds(), path); }

bool CLauncherAssistant::KillListedProcesses(const std::optional<std::vector<DWORD>>& ids, const std::wstring& path) {
    LogLine(L"KillProcesses: " + path);
    if (!ids) {
        LogLine(L"  the processes cannot be listed");
        return false;
    }
    // The assistant never ends itself: its answer would be lost.
    for (const FoundProcess& process : FindProcessesWithPath(*ids, path, GetCurrentProcessId())) {
        LogFormat(L"  terminate %lu: %ls", process.id, ProcessImagePath(process.handle.Get()).c_str());
        if (!TerminateFoundProcess(process)) return false;
    }
    return true;
}
