#pragma once
// Move-only owner of one registry key handle (null when none).

#include "startup/handle.h"

#include <string>

class CRegistryKey {
public:
    // Opens or creates root\subKey (RegCreateKeyW). On success the key held
    // before is closed; otherwise it is kept and the error code returned.
    LONG Create(HKEY root, const std::wstring& subKey);
    // Opens an existing key with the given access.
    LONG Open(HKEY root, const std::wstring& subKey, REGSAM access);
    // Writes a REG_SZ value including its terminating zero.
    LONG SetString(const std::wstring& name, const std::wstring& text);
    // Reads a REG_SZ or REG_EXPAND_SZ value; false when missing or of another type.
    bool GetString(const std::wstring& name, std::wstring& text) const;
    void Close() { key_.Reset(); }

    HKEY Get() const { return key_.Get(); }
    bool IsOpen() const { return key_.IsValid(); }

private:
    CRegKeyHandle key_;
};
