#pragma once
// Replacing a whole state file so that a failed write (a full disk, a
// crash) never leaves it cut short: the new bytes go to a neighbour file
// first, reach the disk, and then take the old file's place in one step.
// No state; any thread.

#include <cstddef>
#include <string>

// The neighbour the bytes are written to before they replace `path`.
std::wstring SafeWriteNeighbour(const std::wstring& path);
// Replaces (or creates) the file at `path` with `length` bytes of `data`.
// On failure the old file is untouched, the neighbour is gone and
// GetLastError tells why.
bool WriteFileSafely(const std::wstring& path, const void* data, size_t length);
