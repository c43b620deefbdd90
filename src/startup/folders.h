#pragma once
// File and folder utilities on wide paths. No state; any thread; none logs.

#include <cstdint>
#include <string>

bool FileExists(const std::wstring& path);
bool IsDirectory(const std::wstring& path);
// Removes one final '\'; says whether it did.
bool RemoveTrailingBackslash(std::wstring& path);
// Creates every missing level; a drive is never created. Keeps the levels
// made before a failing one. True when the whole path is a directory.
bool CreateFolderTree(std::wstring path);
// Removes everything inside; goes on after a failure and reports false.
bool EmptyFolder(const std::wstring& path);
// EmptyFolder, then the folder itself.
bool DeleteFolder(std::wstring path);
// True for a non-directory, an unlistable path, or only "." and "..".
bool IsFolderEmpty(const std::wstring& path);
// Reads a whole file (shared for reading and writing) into `bytes`; false
// when it cannot be opened or read, or holds more than `maxBytes`.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, uint64_t maxBytes);
// The temporary folder with its final backslash.
std::wstring GetTempFolder();
