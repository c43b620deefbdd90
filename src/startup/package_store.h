#pragma once
// The embedded package unpacked into memory: entry name (8-bit,
// backslash-separated, as stored) -> bytes. Filled once by preinit on the
// UI thread and only read afterwards, from any thread.

#include <map>
#include <string>
#include <vector>

class CArchiveHelperRar {
public:
    // Unpacks every file entry of a RAR archive (2.9 or 5) held in memory.
    // False when the archive cannot be opened or any entry fails; the
    // store is then empty.
    bool OpenPackage(const void* bytes, size_t size);
    // Normalises the name ("a\..\b" -> "b", one leading '\' dropped) and
    // copies the entry's bytes.
    bool ExtractFile(const std::string& name, std::string& bytes) const;
    // Entries "...\fonts\<name>.ttf", as UTF-16 names, in name order.
    std::vector<std::wstring> ListFontEntries() const;
    bool Empty() const { return entries_.empty(); }
    const std::map<std::string, std::string>& entries() const { return entries_; }

    static std::string NormaliseName(const std::string& name);

private:
    std::map<std::string, std::string> entries_;
};

// The process-wide package store.
CArchiveHelperRar& PackageStore();
