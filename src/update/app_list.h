#pragma once
// The program list applist.dat of the installation folder: fixed 652-byte
// records (Name: 65 UTF-16 characters, Exec: 261), no header. Named records
// are programs of "int" packs that have shortcuts; unnamed ones mark
// installed "ext" add-ons. Records are identified by Exec alone, compared
// exactly. Files written here hold the unnamed records first.
// Not thread-safe: the checker guards its list with its own lock.

#include "startup/app_list_file.h"
#include "update/manifest.h"

#include <cstdint>
#include <string>
#include <vector>

// A shortcut to add or delete for a program of the list; the logic hands
// these to the assistant.
struct ProgramChange {
    std::wstring name;  // display name, at most kMaxName characters
    std::wstring exec;  // target relative to the installation folder
    bool add = false;
};

class CAppList {
public:
    static constexpr size_t kMaxName = 64;
    static constexpr size_t kMaxExec = 260;

    // applist.dat of `folder` into `list`. A missing file gives an empty
    // list; a file of another length than a multiple of 652 is deleted and
    // false returned, `list` keeping what it held.
    static bool Read(const std::wstring& folder, std::vector<AppListRecord>& list);
    // Deletes applist.dat of `folder`, read-only or not.
    static void Delete(const std::wstring& folder);

    // False when a record has this exec (or the exec is longer than a
    // record holds). Otherwise true, appending {name cut to 64, exec}
    // unless only querying.
    bool FindOrAdd(const std::wstring& name, const std::wstring& exec, bool queryOnly);
    // Keeps the leading unnamed records, registers the "ext" add-ons
    // (unless internalOnly) and the "int" programs, and writes the file, or
    // deletes it when the list is empty.
    bool Write(const std::wstring& folder, bool internalOnly, const std::vector<ExtAddOn>& ext,
               const std::vector<IntAddOn>& internal);
    // Re-reads the file; delete records for named programs no "int"
    // description has any more, then add records for new ones.
    bool ShortcutChanges(const std::wstring& folder, const std::vector<IntAddOn>& internal,
                         std::vector<ProgramChange>& out);
    // The "ext" add-ons not installed yet, in manifest order.
    void NewAddOns(const std::vector<ExtAddOn>& ext, std::vector<ExtAddOn>& out);

    std::vector<AppListRecord> records;
};
