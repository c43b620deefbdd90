#pragma once
// printf-style formatting of the launcher's own texts (string-table entries
// and log patterns) with the Windows conventions those texts are written
// for: in a UTF-16 format "%s" takes a UTF-16 string and "%hs" an 8-bit one.
// The C library's swprintf in this build follows C99 instead ("%s" is
// 8-bit), so texts are never formatted through it. Any thread.

#include <string>

std::wstring FormatText(const wchar_t* format, ...);
