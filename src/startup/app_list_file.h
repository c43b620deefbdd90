#pragma once
// Reading the program list applist.dat (see startup/app_list_record.h).
// The update pipeline keeps the list (update/app_list.h); the shortcut and
// uninstall code of the assistant and the uninstaller only read it. No
// state; any thread.

#include "startup/app_list_record.h"

#include <string>
#include <vector>

// The full path of applist.dat in `folder`.
std::wstring AppListPath(const std::wstring& folder);

// applist.dat of `folder` into `list`. A missing file gives an empty list;
// false when the file cannot be read or holds no whole number of records,
// `list` keeping what it held.
bool ReadAppListFile(const std::wstring& folder, std::vector<AppListRecord>& list);
