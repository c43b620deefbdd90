#pragma once
// addpkg.dat in the installation folder: the additional packages the user
// asked for, as 128-byte records (UTF-16LE name of at most 63 characters,
// zero-padded; a longer name is stored as an all-zero record). A file
// whose length is no multiple of 128 is ignored when reading and left
// untouched when writing. The set belongs to its owner's thread (the
// checker reads it on its own thread before parsing).

#include <set>
#include <string>

class CAddPkg {
public:
    virtual ~CAddPkg() = default;

    void SetAddPkgFolder(const std::wstring& folder) { addPkgFolder_ = folder; }
    // Replaces the set with the file's names; false when the file is
    // missing or has an odd length (the set is then empty).
    bool Load();
    // True when `name` was already listed. Otherwise, unless only querying,
    // adds it to the set and appends its record to the file.
    bool Add(const std::wstring& name, bool onlyQuery);
    // Writes the file anew with every name of the set.
    bool Save();

    const std::set<std::wstring>& AddPackages() const { return addPackages_; }

    static constexpr size_t kRecordSize = 128;

private:
    std::wstring FilePath() const { return addPkgFolder_ + L"\\addpkg.dat"; }

    std::wstring addPkgFolder_;
    std::set<std::wstring> addPackages_;
};
