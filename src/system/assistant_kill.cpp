// The assistant's process killer: ends every process started from a file.

#include "system/launcher_assistant.h"
#include "system/process_list.h"

bool CLauncherAssistant::KillProcesses(const std::wstring& path) {
    LogLine(L"KillProcesses: " + path);
    // The assistant never ends itself: its answer would be lost.
    for (DWORD id : ProcessesWithModulePath(path, GetCurrentProcessId())) {
        LogFormat(L"  terminate %lu: %ls", id, ProcessModulePath(id).c_str());
        if (!TerminateProcessById(id)) return false;
    }
    return true;
}
