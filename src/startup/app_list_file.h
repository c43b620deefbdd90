#pragma once
// The records of the program list applist.dat and their reading: fixed
// 652-byte records (Name: 65 UTF-16 characters, Exec: 261), no header. The
// update pipeline keeps the list (update/app_list.h); the shortcut and
// uninstall code of the assistant and the uninstaller only read it. No
// state; any thread.

#include <string>
#include <vector>

#pragma pack(push, 1)
struct AppListRecord {
    wchar_t name[65];
    wchar_t exec[261];
};
#pragma pack(pop)
static_assert(sizeof(AppListRecord) == 652, "applist.dat record");

// The full path of applist.dat in `folder`.
std::wstring AppListPath(const std::wstring& folder);

// applist.dat of `folder` into `list`. A missing file gives an empty list;
// false when the file cannot be read or its length is no multiple of 652,
// `list` keeping what it held.
bool ReadAppListFile(const std::wstring& folder, std::vector<AppListRecord>& list);

// A record field up to its first zero.
std::wstring RecordText(const wchar_t* field, size_t capacity);
