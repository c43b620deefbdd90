#pragma once
// Conversions between 8-bit (ANSI code page or UTF-8) and UTF-16 texts.
// Whole strings, embedded zeros kept; an empty or refused conversion gives
// an empty result; running out of memory throws std::bad_alloc.

#include <string>

std::wstring AnsiToWide(const std::string& s);
std::string WideToAnsi(const std::wstring& s);
std::wstring Utf8ToWide(const std::string& s);
std::string WideToUtf8(const std::wstring& s);
