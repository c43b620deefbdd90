#pragma once
// Where the elevated assistant's copy of the launcher lies: a fresh folder
// in the temporary folder, made for one launcher run and open to this user
// and administrators only, so nobody else can put a file (a library, say)
// beside the copy or swap the copy before it starts. No state; any thread.

#include <string>

// Reserves a unique name under `temp` (which ends with a backslash) with
// GetTempFileName (the placeholder "<name>.tmp") and makes the folder
// "<name>"; a folder that exists already is never taken. Returns the
// folder's path, empty on failure (the placeholder is then removed).
std::wstring CreateAssistantFolder(const std::wstring& temp);

// The copy inside such a folder: "<folder>\<name>.exe", so that each
// launcher's copy (and the pipe named after it) is unique.
std::wstring AssistantCopyPath(const std::wstring& folder);

// Removes the folder, everything the copy left in it, and its placeholder.
void RemoveAssistantFolder(const std::wstring& folder);

// True when `copy` has the size and CRC-32 of `original`.
bool IsExactCopy(const std::wstring& copy, const std::wstring& original);
