#pragma once
// Whole-file reading and writing for the host tool (UTF-8 paths).

#include <string>

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);
// Writes through a temporary file next to the target and renames it over,
// so a failure leaves an existing target untouched.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);
