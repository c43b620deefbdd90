#pragma once
// Other processes of the product, found by the path of their executable.
// No state; any thread.

#include <windows.h>

#include <string>
#include <vector>

// The path of a process's first module; empty when it cannot be read.
std::wstring ProcessModulePath(DWORD processId);

// Ids of the processes (at most the first 1024 listed) whose first module
// is `path`, compared without case; `skip` (e.g. the own id) is left out.
std::vector<DWORD> ProcessesWithModulePath(const std::wstring& path, DWORD skip = 0);

// The top-level windows of a process.
std::vector<HWND> ProcessTopLevelWindows(DWORD processId);

// Ends one process and waits up to a second for it to be gone, so its
// files can be deleted next; false when it could not be ended.
bool TerminateProcessById(DWORD processId);

// Terminates every other process whose first module is `path`; false when
// one of them could not be ended.
bool TerminateProcessesWithModulePath(const std::wstring& path);

// Starts a command line (no application name, nothing inherited, default
// environment; the caller's folder unless `folder` is given) without
// keeping any handle of the new process.
bool StartProcess(const std::wstring& commandLine, const std::wstring& folder = std::wstring());
