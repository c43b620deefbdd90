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
// Junctions and symbolic links inside are removed as links, never entered.
bool EmptyFolder(const std::wstring& path);
// EmptyFolder, then the folder itself; a folder that is itself a link is
// removed as the link.
bool DeleteFolder(std::wstring path);
// Whether the attributes (INVALID_FILE_ATTRIBUTES: none) mark a reparse
// point: a junction, a symbolic link or a mount point.
bool IsLink(uint32_t attributes);
// Removes the link itself: a directory link with RemoveDirectoryW, a file
// link with DeleteFileW.
bool RemoveLink(const std::wstring& path, uint32_t attributes);
// True for a non-directory, an unlistable path, or only "." and "..".
bool IsFolderEmpty(const std::wstring& path);
// Reads a whole file (shared for reading and writing) into `bytes`; false
// when it cannot be opened or read, or holds more than `maxBytes`.
bool ReadWholeFile(const std::wstring& path, std::string& bytes, uint64_t maxBytes);
// The temporary folder with its final backslash.
std::wstring GetTempFolder();
