// The assistant's removal of a standard installation: its shortcuts, its
// files, its slot in the installation list and its uninstall entry. The
// assistant's main thread; the cancel watcher can stop the file walk.

#include "startup/app_list_file.h"
#include "startup/format_text.h"
#include "startup/registry_key.h"
#include "system/install_directory_list.h"
#include "system/launcher_assistant.h"
#include "system/shortcuts.h"
#include "system/tree_walk.h"
#include "system/uninstall_rules.h"

#include <shlobj.h>
#include <shlwapi.h>

namespace {

constexpr wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr int kFileAttempts = 6;

// The desktop shortcut the uninstall entry names; empty without one.
std::wstring DesktopShortcutOfEntry(const std::wstring& key) {
    CRegistryKey entry;
    std::wstring value;
    if (entry.Open(HKEY_LOCAL_MACHINE, key, KEY_READ | KEY_CREATE_SUB_KEY | KEY_SET_VALUE) != ERROR_SUCCESS ||
        !entry.GetString(L"UninstallString", value) || value.size() > 1024)
        return {};
    return DesktopShortcutOfUninstallString(value);
}

}  // namespace

void CLauncherAssistant::UninstallCommand() {
    const std::wstring folder = AssistantText(data_.chInstallFolder);
    LogLine(L"Uninstall: " + folder);
    if (!KillProcesses(AssistantText(data_.chTemp))) {
        setLastAssistantError(eAssistantCntKillProcess);
        return;
    }
    CInstallDirectoryList list;
    const std::wstring regPath = AssistantText(data_.chRegPath);
    list.Open(HKEY_LOCAL_MACHINE, regPath);
    const int slot = list.Find(folder);
    if (slot < 0) {
        LogLine(L"Uninstall: the folder is not registered, nothing to do");
        return;
    }
    const std::wstring fullName = AssistantText(data_.chFullName);
    const std::wstring key = kUninstallRoot + FormatText(L"%s %d", fullName.c_str(), slot);
    const std::wstring launcherName = AssistantText(data_.chLauncherName);
    const std::wstring launcherShortcut = ShortcutDisplayName(AssistantText(data_.chIconName), false, slot);
    ReportProgress(0);
    if (folder.size() < 4) {
        setLastAssistantError(eAssistantShortInstallationPath);
        ReportProgress(100);
        return;
    }
    const std::wstring desktopShortcut = DesktopShortcutOfEntry(key);
    const std::wstring desktop = FolderOfPath(desktopShortcut);

    std::vector<AppListRecord> programs;
    ReadAppListFile(folder, programs);
    for (const AppListRecord& record : programs) {
        const std::wstring name = RecordText(record.name, 65);
        if (name.empty()) continue;
        const std::wstring shortcut = ShortcutDisplayName(name, false, slot);
        const std::wstring target = folder + L"\\" + RecordText(record.exec, 261);
        if (!desktop.empty()) DeleteFileW(ShortcutFileName(desktop, L"", shortcut).c_str());
        DeleteShortcut(target, shortcut, CSIDL_COMMON_STARTMENU, L"");
        DeleteShortcut(target, shortcut, CSIDL_COMMON_PROGRAMS, fullName);
    }

    progress_.SetStepTotal(int(2 * CountFiles(folder)));
    GrantRights(folder, regPath, true);
    TreeWalk walk;
    walk.spare = launcherName;
    walk.attempts = kFileAttempts;
    walk.cancel = &cancelled_;
    walk.step = [this] { Step(); };
    const bool walked = DeleteTree(folder, walk);
    DeleteFileW((folder + L"\\" + launcherName).c_str());
    if (walked) RemoveDirectoryW(folder.c_str());
    if (cancelled_) {
        LogLine(L"Uninstall: cancelled");
        return;
    }

    const std::wstring launcher = folder + L"\\" + launcherName;
    DeleteShortcut(launcher, launcherShortcut, CSIDL_COMMON_STARTMENU, L"");
    DeleteShortcut(launcher, launcherShortcut, CSIDL_COMMON_PROGRAMS, fullName);
    DeleteUninstallShortcut(launcher, launcherShortcut, fullName, true);
    if (desktopShortcut.size() >= 4) DeleteFileW(desktopShortcut.c_str());

    if (!list.Remove(folder)) {
        setLastAssistantError(eAssistantCntDelInstDirFromReg);
        ReportProgress(99);
        return;
    }
    ReportProgress(99);
    SHDeleteKeyW(HKEY_LOCAL_MACHINE, key.c_str());
    ReportProgress(100);
}
