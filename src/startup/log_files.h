#pragma once
// Naming of the launcher's log file, moving logs of earlier runs into
// logs\, and the start-up banner. Called once by the entry point on the
// UI thread before any worker exists.

#include "log_impl.h"

#include <windows.h>

#include <string>

// Moves "*.log" files of `folder` (ending with '\') into the newest
// logs\<yyyymmdd_hhmmss>.<ext> folder as "<ext>.<base>.log", or
// "<ext>.<base>(n).log" when taken. Does nothing without such a folder.
void MoveEarlierLogs(const std::wstring& folder);

// Moves earlier logs, then picks "<folder><yyyymmdd_hhmmss>[_n].<exe name>.log",
// the first of 100 names that does not exist yet.
std::wstring ChooseLauncherLogPath(const std::wstring& exePath, const SYSTEMTIME& now);

// The file version "%d.%d.%d.%d" of a module file, empty when it has none.
std::wstring ReadFileVersion(const std::wstring& path);

// The first lines of every run's log.
void WriteStartupBanner(CLogImplW& log, const std::wstring& version, const std::wstring& osName,
                        const std::wstring& commandTail, const wchar_t* runCodeText);
