#pragma once
// Move-only owner of one registry key handle (null when none).

#include <windows.h>

#include <string>

class CRegistryKey {
public:
    CRegistryKey() = default;
    CRegistryKey(const CRegistryKey&) = delete;
    CRegistryKey& operator=(const CRegistryKey&) = delete;
    CRegistryKey(CRegistryKey&& o) noexcept : key_(o.key_) { o.key_ = nullptr; }
    CRegistryKey& operator=(CRegistryKey&& o) noexcept;
    ~CRegistryKey() { Close(); }

    // Opens or creates root\subKey (RegCreateKeyW). On success the key held
    // before is closed; otherwise it is kept and the error code returned.
    LONG Create(HKEY root, const std::wstring& subKey);
    // Opens an existing key with the given access.
    LONG Open(HKEY root, const std::wstring& subKey, REGSAM access);
    // Writes a REG_SZ value including its terminating zero.
    LONG SetString(const std::wstring& name, const std::wstring& text);
    // Reads a REG_SZ or REG_EXPAND_SZ value; false when missing or of another type.
    bool GetString(const std::wstring& name, std::wstring& text) const;
    void Close();

    HKEY Get() const { return key_; }
    bool IsOpen() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};
