// The assistant's registration of a standard installation: the installation
// list's slot, the all-users rights, the entry in Windows' list of
// installed programs and the all-users shortcuts. The assistant's main
// thread only.

#include "startup/folders.h"
#include "startup/format_text.h"
#include "startup/registry_key.h"
#include "system/install_directory_list.h"
#include "system/launcher_assistant.h"
#include "system/shortcuts.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

constexpr wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// The first slot free for a new installation, or -1.
int FreeSlot(CInstallDirectoryList& list) {
    list.Load();
    for (int i = 0; i < CInstallDirectoryList::kSlots; ++i)
        if (list.Slot(i).size() < 3) return i;
    return -1;
}

}  // namespace

void CLauncherAssistant::InstallCommand() {
    ReportProgress(0);
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, AssistantText(data_.chRegPath));
    CRegistryKey product;
    // Slots of folders removed or emptied by hand become free.
    if (product.Open(HKEY_LOCAL_MACHINE, AssistantText(data_.chRegPath), KEY_READ) == ERROR_SUCCESS) list.Prune();
    ReportProgress(5);
    InstallClient(-1, true);
    ReportProgress(100);
    SendWorkResult(eLauncherCmd_Install, lastError_);
}

bool CLauncherAssistant::InstallClient(int index, bool fresh) {
    LogLine(FormatText(L"InstallClient: index = %d", index));
    const std::wstring folder = AssistantText(data_.chInstallFolder);
    if (fresh) {
        if (!IsDirectory(folder) && !CreateFolderTree(folder)) {
            setLastAssistantError(eAssistantCntCreateDir);
            return false;
        }
        ReportProgress(10);
    }
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, AssistantText(data_.chRegPath));
    int slot = fresh ? list.Find(folder) : index;
    if (slot < 0) slot = list.Find(folder);
    if (slot < 0) slot = FreeSlot(list);
    if (slot < 0) {
        setLastAssistantError(eAssistantTooManyClients);
        return false;
    }
    const std::wstring fullName = AssistantText(data_.chFullName);
    if (fullName.empty()) {
        setLastAssistantError(eAssistantEmptyFullNameEx);
        return false;
    }
    if (fresh) ReportProgress(15);
    if (!GrantRights(folder, AssistantText(data_.chRegPath), false)) {
        setLastAssistantError(eAssistantCntSetRights);
        return false;
    }
    if (fresh) {
        ReportProgress(70);
        for (const wchar_t* name : {L"guest.dat", L"addpkg.dat", L"applist.dat"})
            DeleteFileW((folder + L"\\" + name).c_str());
    }
    if (!WriteUninstallEntry(slot)) {
        setLastAssistantError(eAssistantCntCreateUninstallRegPath);
        return false;
    }
    if (!RegisterSlot(list, folder, slot)) {
        setLastAssistantError(eAssistantCntPutInstDirToReg);
        return false;
    }
    if (fresh) ReportProgress(80);
    UpdateAllUsersShortcuts();
    if (fresh) ReportProgress(95);
    return true;
}

bool CLauncherAssistant::WriteUninstallEntry(int slot) {
    const std::wstring fullName = AssistantText(data_.chFullName);
    const std::wstring key = kUninstallRoot + FormatText(L"%s %d", fullName.c_str(), slot);
    const std::wstring launcher = AssistantText(data_.chInstallFolder) + L"\\" + AssistantText(data_.chLauncherName);
    const std::wstring shortcut = AssistantText(data_.chLnkDesctopIcon) + L"\\" +
                                  ShortcutDisplayName(AssistantText(data_.chIconName), false, slot) + L".lnk";
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    CRegistryKey entry;
    if (entry.Create(HKEY_LOCAL_MACHINE, key) != ERROR_SUCCESS) return false;
    const std::wstring display = slot == 0 ? fullName : FormatText(L"%s (%d)", fullName.c_str(), slot + 1);
    const struct {
        const wchar_t* name;
        std::wstring value;
    } values[] = {
        {L"DisplayName", display},
        {L"UninstallString", FormatText(L"\"%s\" /uninstall \"%s\"", launcher.c_str(), shortcut.c_str())},
        {L"DisplayIcon", FormatText(L"\"%s\",0", launcher.c_str())},
        {L"InstallLocation", AssistantText(data_.chInstallFolder)},
        {L"HelpLink", AssistantText(data_.chHelpLink)},
        {L"URLInfoAbout", AssistantText(data_.chUrlInfoAbout)},
        {L"URLUpdateInfo", AssistantText(data_.chUrlUpdateInfo)},
    };
    for (const auto& v : values)
        if (entry.SetString(v.name, v.value) != ERROR_SUCCESS) return false;
    return true;
}

// The folder goes into the slot its uninstall entry was named after, so
// that the two always agree.
bool CLauncherAssistant::RegisterSlot(CInstallDirectoryList& list, const std::wstring& folder, int slot) {
    if (folder.size() < 4) return false;
    if (list.Find(folder) < 0) {
        list.SetSlot(slot, CInstallDirectoryList::Normalise(folder));
        list.Save();
    }
    return list.Find(folder) >= 0;
}

void CLauncherAssistant::IconUpdateCommand() { UpdateAllUsersShortcuts(); }

void CLauncherAssistant::UpdateAllUsersShortcuts() {
    const std::wstring folder = AssistantText(data_.chInstallFolder);
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, AssistantText(data_.chRegPath));
    const int index = list.Find(folder);
    if (index < 0) return;
    const std::wstring fullName = AssistantText(data_.chFullName), iconName = AssistantText(data_.chIconName);
    for (const LauncherAssistantIcon& icon : icons_) {
        const std::wstring name = ShortcutDisplayName(AssistantText(icon.name), false, index);
        const std::wstring target = folder + L"\\" + AssistantText(icon.exec);
        const bool add = icon.action == 1;
        if (data_.bIconStartMenu) {
            if (add)
                CreateShortcut(target, L"", name, CSIDL_COMMON_STARTMENU, L"", 0, false);
            else
                DeleteShortcut(target, name, CSIDL_COMMON_STARTMENU, L"");
        }
        if (data_.bIconPrograms) {
            if (add)
                CreateShortcut(target, L"", name, CSIDL_COMMON_PROGRAMS, fullName, 0,
                               data_.bIconProgramsFolder && AssistantText(icon.name) == iconName);
            else
                DeleteShortcut(target, name, CSIDL_COMMON_PROGRAMS, fullName);
        }
    }
}
