#pragma once
// The parameters of a renaming run: the launcher that decides on a rename
// starts a copy of itself with "/setlongname" and six quoted values and a
// number; the copy keeps all but the first value (its installation folder)
// and hands them to the assistant. Pure functions; any thread. Portable.

#include <string>

struct RenamingParameters {
    std::wstring folder;     // the installation folder as it is
    std::wstring newFolder;  // the same folder under the new name
    std::wstring oldShortName, oldFullName, oldRegPath, oldIconName;
    int actionId = 0;        // 0 for a migration
};

// "/setlongname \"<folder>\" \"<newFolder>\" ... <id>"
std::wstring RenamingSwitch(const RenamingParameters& p);

// The kept part: five quoted values (from the new folder on), a space and
// the action id. False, with `p` unchanged, for anything else: a missing
// quote or value, a value with a quote in it, no number or text after it.
bool ParseKeptParameters(const std::wstring& text, RenamingParameters& p);

// Whether `to` is `from` renamed in place: both absolute folders with the
// same parent, and the new last level a plain name (no "." or "..", no
// separator, drive or stream). Letter case is compared as given.
bool IsRenameInPlace(const std::wstring& from, const std::wstring& to);
