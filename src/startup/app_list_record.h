#pragma once
// The records of the program list applist.dat: fixed 652-byte records of
// two zero-padded UTF-16LE fields (Name: 65 characters, Exec: 261), no
// header. The file's bytes to records and back, and the fields' text; the
// file itself is read by startup/app_list_file and written by
// update/app_list. Pure functions; any thread. Portable.

#include <cstddef>
#include <string>
#include <vector>

struct AppListRecord {
    char16_t name[65];
    char16_t exec[261];
};
static_assert(sizeof(AppListRecord) == 652, "applist.dat record");

// More programs than any installation has: such a list is not read.
constexpr size_t kAppListRecordLimit = 100000;

// The records in `bytes` into `list`; false when the bytes are no whole
// number of records or reach the limit, `list` keeping what it held.
bool ParseAppListRecords(const std::string& bytes, std::vector<AppListRecord>& list);
// The bytes of a file holding `records`.
std::string AppListBytes(const std::vector<AppListRecord>& records);

// A record field up to its first zero.
std::wstring RecordText(const char16_t* field, size_t capacity);
// Sets a field to `text` cut to capacity - 1 characters, zero-padded.
void SetRecordText(char16_t* field, size_t capacity, const std::wstring& text);
