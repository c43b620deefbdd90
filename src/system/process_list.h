#pragma once
// Other processes of the product, found by the path of their executable.
// No state; any thread.

#include "startup/handle.h"

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

// The ids of the running processes (at most the first 1024 listed);
// nothing when they cannot be listed.
std::optional<std::vector<DWORD>> ListProcessIds();

// The path of a process's executable, read through a handle with
// PROCESS_QUERY_LIMITED_INFORMATION: unlike the module list, this works
// from a 32-bit launcher on a 64-bit process. Empty when it cannot be read.
std::wstring ProcessImagePath(HANDLE process);

// A process found by its executable's path, with the handle its path was
// read through; ending it through that handle cannot reach a process that
// has taken over its id since.
struct FoundProcess {
    DWORD id = 0;
    CHandle handle;  // query, terminate and wait rights; invalid when only its path could be read
};

// The processes among `ids` whose executable is `path`, compared without
// case; `skip` (e.g. the own id) is left out.
std::vector<FoundProcess> FindProcessesWithPath(const std::vector<DWORD>& ids, const std::wstring& path,
                                                DWORD skip = 0);

// Ids of the running processes whose executable is `path` (see above).
std::vector<DWORD> ProcessesWithModulePath(const std::wstring& path, DWORD skip = 0);

// The top-level windows of a process.
std::vector<HWND> ProcessTopLevelWindows(DWORD processId);

// Ends a found process and waits up to a second for it to be gone, so its
// files can be deleted next; false when it could not be ended.
bool TerminateFoundProcess(const FoundProcess& process);

// Ends every process among `ids` (but `skip`) whose executable is `path`;
// false when the processes could not be listed or one could not be ended.
bool TerminateProcessesWithPath(const std::optional<std::vector<DWORD>>& ids, const std::wstring& path, DWORD skip);

// The same for every other running process.
bool TerminateProcessesWithModulePath(const std::wstring& path);

// `program` in quotes, then a space and `arguments` unless they are empty:
// unquoted, "C:\Program Files\x.exe" would first try "C:\Program.exe".
std::wstring QuotedCommandLine(const std::wstring& program, const std::wstring& arguments);

// Starts a command line (no application name, nothing inherited, default
// environment; the caller's folder unless `folder` is given) without
// keeping any handle of the new process.
bool StartProcess(const std::wstring& commandLine, const std::wstring& folder = std::wstring());
