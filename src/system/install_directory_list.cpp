#include "install_directory_list.h"

#include "startup/folders.h"

#include <algorithm>
#include <cwctype>
#include <vector>

std::wstring CInstallDirectoryList::Normalise(std::wstring folder) {
    folder.erase(std::remove(folder.begin(), folder.end(), L'"'), folder.end());
    std::replace(folder.begin(), folder.end(), L'/', L'\\');
    for (size_t at; (at = folder.find(L"\\\\")) != std::wstring::npos;) folder.erase(at, 1);
    return folder;
}

std::wstring CInstallDirectoryList::ValueName(int slot) {
    return slot == 0 ? std::wstring(L"Directory") : L"Directory" + std::to_wstring(slot);
}

void CInstallDirectoryList::Open(HKEY root, const std::wstring& regPath) {
    key_.Close();
    root_ = root;
    regPath_ = regPath;
    opened_ = !regPath.empty() && key_.Open(root, regPath, KEY_READ | KEY_WRITE) == ERROR_SUCCESS;
}

void CInstallDirectoryList::Load() {
    if (!opened_) Open(root_, regPath_);
    for (auto& s : slots_) s.clear();
    if (regPath_.empty() || !opened_) return;
    CRegistryKey install;
    if (install.Open(key_.Get(), L"Install", KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE) != ERROR_SUCCESS) return;
    for (int i = 0; i < kSlots; ++i) {
        std::vector<wchar_t> buf(1023, L'\0');
        DWORD type = 0, size = 2046;
        const LONG rc = RegQueryValueExW(install.Get(), ValueName(i).c_str(), nullptr, &type,
                                         reinterpret_cast<BYTE*>(buf.data()), &size);
        const bool good = rc == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ) && size % 2 == 0 &&
                          (size == 0 || buf[size / 2 - 1] == L'\0');
        if (!good) {
            install.SetString(ValueName(i), L"");
            continue;
        }
        slots_[size_t(i)] = Normalise(buf.data());
    }
}

bool CInstallDirectoryList::Save() {
    if (!opened_) {
        if (key_.Create(root_, regPath_) != ERROR_SUCCESS) return false;
        opened_ = true;
    }
    CRegistryKey install;
    if (install.Create(key_.Get(), L"Install") != ERROR_SUCCESS) return false;
    bool ok = true;
    for (int i = 0; i < kSlots; ++i) ok = install.SetString(ValueName(i), slots_[size_t(i)]) == ERROR_SUCCESS && ok;
    return ok;
}

int CInstallDirectoryList::Find(const std::wstring& folder) {
    const std::wstring wanted = Normalise(folder);
    Load();
    for (int i = 0; i < kSlots; ++i)
        if (_wcsicmp(slots_[size_t(i)].c_str(), wanted.c_str()) == 0 && !wanted.empty()) return i;
    return -1;
}

bool CInstallDirectoryList::Remove(const std::wstring& folder) {
    const int slot = Find(folder);
    if (slot >= 0) {
        slots_[size_t(slot)].clear();
        Save();
    }
    return Find(folder) == -1;
}

void CInstallDirectoryList::Prune() {
    Load();
    for (auto& s : slots_)
        if (s.size() < 4 || !IsDirectory(s) || IsFolderEmpty(s)) s.clear();
    Save();
}

std::wstring CInstallDirectoryList::FirstRegistered() {
    Load();
    for (const auto& s : slots_)
        if (s.size() > 3) return s;
    return {};
}
