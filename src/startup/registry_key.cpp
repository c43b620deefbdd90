#include "registry_key.h"

#include <vector>

LONG CRegistryKey::Create(HKEY root, const std::wstring& subKey) {
    HKEY key = nullptr;
    const LONG rc = RegCreateKeyW(root, subKey.c_str(), &key);
    if (rc != ERROR_SUCCESS) return rc;
    key_.Reset(key);
    return rc;
}

LONG CRegistryKey::Open(HKEY root, const std::wstring& subKey, REGSAM access) {
    HKEY key = nullptr;
    const LONG rc = RegOpenKeyExW(root, subKey.c_str(), 0, access, &key);
    if (rc != ERROR_SUCCESS) return rc;
    key_.Reset(key);
    return rc;
}

LONG CRegistryKey::SetString(const std::wstring& name, const std::wstring& text) {
    return RegSetValueExW(key_.Get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          DWORD((text.size() + 1) * sizeof(wchar_t)));
}

bool CRegistryKey::GetString(const std::wstring& name, std::wstring& text) const {
    DWORD type = 0, size = 0;
    if (!key_.IsValid() || RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
    if (RegQueryValueExW(key_.Get(), name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) !=
        ERROR_SUCCESS)
        return false;
    text.assign(buf.data());
    return true;
}
