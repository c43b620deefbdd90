#pragma once
// Texts of the error reports the launcher shows through its message box:
// a file the unpacker could not write, and a failed system call. They use
// the current string table. Any thread.

#include <windows.h>

#include <string>

// "Unable to unpack updates\nCannot create file: <name>", then the system
// error code and its description when `code` is not 0.
std::wstring FileErrorReportText(const std::wstring& path, DWORD code);

// "<prefix>: <system text>" with line breaks turned into spaces.
std::wstring SystemErrorReportText(const std::wstring& prefix, DWORD code);

// `text` cut to the capacity of a fixed notification-area field (characters
// before the terminating zero).
std::wstring CutToField(const std::wstring& text, size_t capacity);
