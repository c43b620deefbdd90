#include "system/uninstall_rules.h"

#include <cwctype>

std::wstring DesktopShortcutOfUninstallString(const std::wstring& value) {
    size_t quote = std::wstring::npos;
    size_t positions[4];
    for (size_t& position : positions) {
        quote = value.find(L'"', quote + 1);
        if (quote == std::wstring::npos) return {};
        position = quote;
    }
    std::wstring path = value.substr(positions[2] + 1, positions[3] - positions[2] - 1);
    static const wchar_t kExtension[] = L".lnk";
    if (path.size() < 4) return {};
    for (size_t i = 0; i < 4; ++i)
        if (wchar_t(std::towlower(path[path.size() - 4 + i])) != kExtension[i]) return {};
    return path;
}

std::wstring FolderOfPath(const std::wstring& path) {
    const size_t slash = path.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring ShortcutNameOfPath(const std::wstring& quotedPath) {
    const size_t slash = quotedPath.rfind(L'\\');
    std::wstring name = slash == std::wstring::npos ? quotedPath : quotedPath.substr(slash + 1);
    const size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos) name.erase(dot);
    return name;
}

std::wstring PortableShortcutSuffix(const std::wstring& name) {
    std::wstring rest = name;
    if (!rest.empty() && rest.back() == L')') {
        const size_t space = rest.rfind(L' ');
        if (space == std::wstring::npos) return {};
        rest.erase(space);
    }
    const size_t space = rest.rfind(L' ');
    return space == std::wstring::npos ? std::wstring() : name.substr(space);
}
