#pragma once
// File and folder utilities on wide paths. No state; any thread; none logs.

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
// The temporary folder with its final backslash.
std::wstring GetTempFolder();
