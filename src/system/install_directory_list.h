#pragma once
// The product's list of standard installations: ten slots "Directory",
// "Directory1" ... "Directory9" under HKLM\<regPath>\Install. Folders are
// compared without case after normalisation. UI thread (or the assistant).

#include "startup/registry_key.h"

#include <array>
#include <string>

class CInstallDirectoryList {
public:
    static constexpr int kSlots = 10;

    // Quotes removed, '/' made '\', doubled backslashes collapsed.
    static std::wstring Normalise(std::wstring folder);

    void Open(HKEY root, const std::wstring& regPath);
    // Reads the ten slots; bad values are emptied and written back.
    void Load();
    bool Save();
    // The slot holding `folder`, or -1.
    int Find(const std::wstring& folder);
    bool Remove(const std::wstring& folder);
    // Empties slots too short to be folders and folders that are gone or empty.
    void Prune();
    std::wstring FirstRegistered();
    const std::wstring& Slot(int i) const { return slots_[size_t(i)]; }
    // Sets a slot in memory; Save writes it.
    void SetSlot(int i, const std::wstring& folder) { slots_[size_t(i)] = folder; }

private:
    static std::wstring ValueName(int slot);

    HKEY root_ = HKEY_LOCAL_MACHINE;
    std::wstring regPath_;
    CRegistryKey key_;
    bool opened_ = false;
    std::array<std::wstring, kSlots> slots_;
};
