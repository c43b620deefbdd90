#pragma once
// A copy of the running launcher in the temporary folder, started with
// given arguments: the launcher cannot delete or move the folder it runs
// from, so uninstalling and renaming hand over to such a copy. The copy
// and its name's placeholder are registered for deletion at the next
// restart. Any thread; logs the registrations.

#include <string>

enum class TemporaryCopyResult { Started, CopyFailed, StartFailed };

// `prefix` is the three-letter prefix of the temporary name ("UNS", "RNM").
// The command line is the copy's quoted path, a space and `arguments`; the
// copy runs in the temporary folder. `commandLine` receives that line.
TemporaryCopyResult StartTemporaryCopy(const wchar_t* prefix, const std::wstring& arguments,
                                       std::wstring& commandLine);
