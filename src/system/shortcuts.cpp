#include "system/shortcuts.h"

#include "startup/find_files.h"
#include "startup/folders.h"
#include "startup/handle.h"
#include "startup/log_impl.h"
#include "system/com_ref.h"
#include "system/install_directory_list.h"
#include "system/item_id_list.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace {

// The path of a special folder; empty when the shell does not know it or it
// is no folder on disk.
std::wstring SpecialFolder(int csidl) {
    LPITEMIDLIST raw = nullptr;
    const HRESULT hr = SHGetSpecialFolderLocation(nullptr, csidl, &raw);
    const CItemIdList list(raw);
    wchar_t path[MAX_PATH] = {};
    if (FAILED(hr) || !SHGetPathFromIDListW(list.Get(), path)) return {};
    return path;
}

// The target's folder: up to its last '\', or its last '/' when it has none.
std::wstring WorkingFolder(const std::wstring& target) {
    size_t cut = target.rfind(L'\\');
    if (cut == std::wstring::npos) cut = target.rfind(L'/');
    return cut == std::wstring::npos ? std::wstring() : target.substr(0, cut);
}

bool MakeShellLink(CComRef<IShellLinkW>& link, CComRef<IPersistFile>& file) {
    return SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.Out())) &&
           SUCCEEDED(link->QueryInterface(IID_IPersistFile, file.Out()));
}

// The program a link file starts; empty when it cannot be read.
std::wstring LinkTarget(const std::wstring& linkFile) {
    CComRef<IShellLinkW> link;
    CComRef<IPersistFile> file;
    wchar_t target[MAX_PATH] = {};
    if (!MakeShellLink(link, file) || FAILED(file->Load(linkFile.c_str(), STGM_READ)) ||
        FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)))
        return {};
    return target;
}

// Writes the folder's Desktop.ini so that it shows the icon.
void SetFolderIcon(const std::wstring& folder, const std::wstring& iconFile, int iconIndex) {
    using CustomSettingsFn = HRESULT(WINAPI*)(LPSHFOLDERCUSTOMSETTINGS, PCWSTR, DWORD);
    // Systems export it under one of two names; shell32 is loaded, this file imports from it.
    const HMODULE shell = GetModuleHandleW(L"shell32.dll");
    auto customSettings = reinterpret_cast<CustomSettingsFn>(
        reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSetFolderCustomSettingsW")));
    if (!customSettings)
        customSettings = reinterpret_cast<CustomSettingsFn>(
            reinterpret_cast<void*>(GetProcAddress(shell, "SHGetSetFolderCustomSettings")));
    if (!customSettings) return;
    std::wstring icon = iconFile;
    SHFOLDERCUSTOMSETTINGS settings{};
    settings.dwSize = sizeof(settings);
    settings.dwMask = FCSM_ICONFILE;
    settings.pszIconFile = &icon[0];
    settings.cchIconFile = DWORD(icon.size());
    settings.iIconIndex = iconIndex;
    customSettings(&settings, folder.c_str(), FCS_FORCEWRITE);
}

bool IsDots(const wchar_t* name) {
    return (name[0] == L'.' && name[1] == 0) || (name[0] == L'.' && name[1] == L'.' && name[2] == 0);
}

bool HoldsOnlyDesktopIni(const std::wstring& folder) {
    int entries = 0;
    bool ini = false;
    for (CFindFiles f(folder + L"\\*"); f.Found(); f.Next()) {
        if (IsDots(f.Name())) continue;
        ++entries;
        ini = ini || (!f.IsFolder() && _wcsicmp(f.Name(), L"Desktop.ini") == 0);
    }
    return ini && entries == 1;
}

// A folder left with nothing but its custom icon goes. The icon made the
// folder read-only, which would stop its removal.
void RemoveIfOnlyDesktopIni(const std::wstring& folder) {
    if (folder.size() <= 3 || !HoldsOnlyDesktopIni(folder)) return;
    SetFileAttributesW(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFolder(folder);
}

// Deletes the links in `folder` that start `target`; whether one went.
bool DeleteLinksTo(const std::wstring& target, const std::wstring& folder) {
    // Listed before deleting, so the search never walks over its own deletions.
    std::vector<std::wstring> links;
    for (CFindFiles f(folder + L"\\*.lnk"); f.Found(); f.Next())
        if (!f.IsFolder()) links.push_back(folder + L"\\" + f.Name());
    bool deleted = false;
    for (const auto& link : links)
        if (_wcsicmp(CInstallDirectoryList::Normalise(LinkTarget(link)).c_str(), target.c_str()) == 0)
            deleted = DeleteFileW(link.c_str()) || deleted;
    return deleted;
}

// A special folder's sub-folder; empty when either part is. An empty name
// would put the whole Programs menu up for removal.
std::wstring SpecialSubFolder(int csidl, const std::wstring& subFolder) {
    const std::wstring special = subFolder.empty() ? std::wstring() : SpecialFolder(csidl);
    return special.empty() ? std::wstring() : special + L"\\" + subFolder;
}

}  // namespace

bool CreateShortcut(const std::wstring& target, const std::wstring& arguments, const std::wstring& name, int csidl,
                    const std::wstring& subFolder, int iconIndex, bool setFolderIcon) {
    if (target.empty() || name.empty()) return false;
    const CComScope com;
    if (!com.Ok()) return false;
    const std::wstring special = SpecialFolder(csidl);
    if (special.empty()) return false;
    CComRef<IShellLinkW> link;
    CComRef<IPersistFile> file;
    if (!MakeShellLink(link, file)) return false;
    link->SetPath(target.c_str());
    const std::wstring working = WorkingFolder(target);
    if (!working.empty()) link->SetWorkingDirectory(working.c_str());
    link->SetIconLocation(target.c_str(), iconIndex);
    link->SetArguments(arguments.c_str());
    const std::wstring folder = subFolder.empty() ? special : special + L"\\" + subFolder;
    CreateDirectoryW(folder.c_str(), nullptr);  // an existing folder is fine
    const bool saved = SUCCEEDED(file->Save(ShortcutFileName(special, subFolder, name).c_str(), TRUE));
    if (setFolderIcon) SetFolderIcon(folder, target, iconIndex);
    return saved;
}

bool DeleteShortcut(const std::wstring& target, const std::wstring& name, int csidl, const std::wstring& subFolder) {
    if (target.empty() || name.empty()) return false;
    const CComScope com;
    if (!com.Ok()) return false;
    const std::wstring special = SpecialFolder(csidl);
    if (special.empty()) return false;
    const bool deleted = DeleteFileW(ShortcutFileName(special, subFolder, name).c_str()) != 0;
    if (!subFolder.empty()) {
        const std::wstring folder = special + L"\\" + subFolder;
        RemoveIfOnlyDesktopIni(folder);
        RemoveDirectoryW(folder.c_str());  // only an empty folder goes
    }
    return deleted;
}

bool DeleteUninstallShortcut(const std::wstring& target, const std::wstring& name, const std::wstring& subFolder,
                             bool allUsers) {
    return DeleteShortcut(target, UninstallShortcutName(name), allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS,
                          subFolder);
}

bool DeleteAllShortcuts(const std::wstring& target, const std::wstring& longName) {
    LogLine(L"deleteAllShortcut: " + target);
    if (target.empty()) return false;
    const CComScope com;
    if (!com.Ok()) return false;
    const std::wstring desktop = SpecialFolder(CSIDL_DESKTOP);
    if (desktop.empty()) return false;
    struct Location {
        std::wstring folder;
        bool programs;
    };
    const Location locations[] = {
        {desktop, false},
        {SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY), false},
        {SpecialFolder(CSIDL_COMMON_STARTMENU), false},
        {SpecialFolder(CSIDL_STARTMENU), false},
        {SpecialSubFolder(CSIDL_COMMON_PROGRAMS, longName), true},
        {SpecialSubFolder(CSIDL_PROGRAMS, longName), true},
    };
    std::vector<std::wstring> emptied;
    for (const auto& location : locations) {
        if (location.folder.size() < 4) continue;
        if (DeleteLinksTo(target, location.folder) && location.programs) {
            RemoveIfOnlyDesktopIni(location.folder);
            if (IsFolderEmpty(location.folder)) emptied.push_back(location.folder);
        }
    }
    for (const auto& folder : emptied) RemoveDirectoryW(folder.c_str());
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    return true;
}

std::wstring ShortcutPath(const std::wstring& target, const std::wstring& name, int csidl,
                          const std::wstring& subFolder) {
    if (target.empty() || name.empty()) return {};
    const CComScope com;
    if (!com.Ok()) return {};
    const std::wstring special = SpecialFolder(csidl);
    return special.empty() ? std::wstring() : ShortcutFileName(special, subFolder, name);
}

std::wstring ShortcutTarget(const std::wstring& linkFile) {
    const CComScope com;
    return com.Ok() ? LinkTarget(linkFile) : std::wstring();
}

bool RegisterForDeletionAtReboot(const std::wstring& path) {
    using MoveFileExFn = BOOL(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
    // Looked up: a kernel32 without it only costs the registration.
    auto moveFileEx = reinterpret_cast<MoveFileExFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "MoveFileExW")));
    const bool ok = moveFileEx && moveFileEx(path.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    LogLine(L"Register '" + path + L"' for deletion " + (ok ? L"successful" : L"fail") + L".");
    return ok;
}
