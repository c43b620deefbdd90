#pragma once
// The .lso string-table file: little-endian entry count (not 0), a zero
// word, then per entry a 32-bit length and that many UTF-8 bytes.
// Also the readable text source the tables are kept in: one entry per line,
// "<number>\t<text>", with "\n" for a line feed, "\r" for a carriage return
// and "\\" for a backslash;
// lines starting with '#' are comments. Portable; no state.

#include <string>
#include <vector>

std::string EncodeLso(const std::vector<std::string>& entries);

// False (with a reason) for a zero count, a non-zero second word, or a
// length running past the end.
bool DecodeLso(const std::string& bytes, std::vector<std::string>& entries, std::string& error);

// Entries must be numbered 0, 1, 2, ... without gaps.
bool ParseStringSource(const std::string& text, std::vector<std::string>& entries, std::string& error);
std::string FormatStringSource(const std::vector<std::string>& entries, const std::string& header);
