#pragma once
// Other processes of the product, found by the path of their executable.
// No state; any thread.

#include <windows.h>

#include <string>
#include <vector>

// Ids of the processes (at most the first 1024 listed) whose first module
// is `path`, compared without case; `skip` (e.g. the own id) is left out.
std::vector<DWORD> ProcessesWithModulePath(const std::wstring& path, DWORD skip = 0);

// The top-level windows of a process.
std::vector<HWND> ProcessTopLevelWindows(DWORD processId);

// Terminates every process whose first module is `path`; false when one
// of them could not be ended.
bool TerminateProcessesWithModulePath(const std::wstring& path);

// Starts a command line (no application name, nothing inherited, default
// environment and folder) without keeping any handle of the new process.
bool StartProcess(const std::wstring& commandLine);
