#include "system/shortcut_names.h"

std::wstring ShortcutDisplayName(const std::wstring& base, bool portable, int index) {
    std::wstring name = portable ? base + L" Portable" : base;
    if (index >= 1) name += L" (" + std::to_wstring(index + 1) + L")";
    return name;
}

std::wstring UninstallShortcutName(const std::wstring& displayName) { return L"Uninstall " + displayName; }

std::wstring ShortcutFileName(const std::wstring& folder, const std::wstring& subFolder, const std::wstring& name) {
    const std::wstring parent = subFolder.empty() ? folder : folder + L"\\" + subFolder;
    return parent + L"\\" + name + L".lnk";
}
