// The assistant's renaming of an installation: the folder moves to its new
// name beside the old one, the registration and the all-users shortcuts
// follow. The assistant's main thread only.

#include "startup/folders.h"
#include "startup/format_text.h"
#include "system/install_directory_list.h"
#include "system/launcher_assistant.h"
#include "system/renaming_parameters.h"
#include "system/shortcuts.h"

#include <shlwapi.h>

#include <cwctype>

namespace {

constexpr wchar_t kUninstallRoot[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

}  // namespace

void CLauncherAssistant::SetLongNameCommand() {
    SetLongName();
    SendWorkResult(eLauncherCmd_SetLongName, lastError_);
}

bool CLauncherAssistant::SetLongName() {
    LogLine(L"SetLongName - begin");
    const std::wstring current = AssistantText(data_.chInstallFolder);
    const std::wstring kept = AssistantText(data_.chTemp);
    LogLine(L"  " + current + L" " + kept);
    const bool portable = FileExists(current + L"\\guest.dat");
    RenamingParameters p;
    // Malformed parameters, or a target that is not the same folder under
    // another name, move nothing.
    if (!ParseKeptParameters(kept, p) || !IsRenameInPlace(current, p.newFolder)) {
        LogLine(L"SetLongName: the parameters do not name a folder beside the installation");
        setLastAssistantError(eAssistantCntCreateDir);
        return false;
    }
    const std::wstring cut = current.substr(0, current.rfind(L'\\') + 1);
    const std::wstring regPath = AssistantText(data_.chRegPath);
    LogLine(L"");
    const struct {
        const wchar_t* format;
        std::wstring value;
    } lines[] = {
        {L"sInstallFolderSrc = %s", current},
        {L"sInstallFolderDst = %s", p.newFolder},
        {L"sOldShortName = %s", p.oldShortName},
        {L"sNewShortName = %s", AssistantText(data_.chShortName)},
        {L"sOldLongName = %s", p.oldFullName},
        {L"sNewLongName = %s", AssistantText(data_.chFullName)},
        {L"sOldRegPath = %s", p.oldRegPath},
        {L"sNewRegPath = %s", regPath},
        {L"sOldIconName = %s", p.oldIconName},
        {L"sNewIconName = %s", AssistantText(data_.chIconName)},
        {L"sCutInstallFolder = %s", cut},
    };
    for (const auto& line : lines) LogLine(FormatText(line.format, line.value.c_str()));
    LogLine(L"");

    if (Lower(current) != Lower(p.newFolder) && !MoveInstallationFolder(current, p.newFolder)) return false;
    if (!portable) MoveRegistration(current, p);
    ReportProgress(80);
    LogLine(L"deleteAllShortcut");
    DeleteAllShortcuts(current + L"\\Launcher.exe", p.oldFullName);
    // The client's programs were sent to be made again in the new folder;
    // their links into the old one go.
    for (const LauncherAssistantIcon& icon : icons_)
        if (_wcsicmp(AssistantText(icon.exec).c_str(), L"Launcher.exe") != 0)
            DeleteAllShortcuts(current + L"\\" + AssistantText(icon.exec), p.oldFullName);
    ReportProgress(90);
    data_.chInstallFolder = AssistantU16(p.newFolder.substr(0, 259));
    if (!portable && !InstallClient(-1, false)) return false;
    ReportProgress(100);
    LogLine(L"SetLongName - end");
    return true;
}

// A folder that already has the new name is never replaced: the renaming
// fails and both folders stay as they are.
bool CLauncherAssistant::MoveInstallationFolder(const std::wstring& from, const std::wstring& to) {
    bool moved = false;
    if (GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES) {
        for (int attempt = 1; attempt <= 10 && !moved; ++attempt) {
            moved = MoveFileW(from.c_str(), to.c_str()) != FALSE;
            if (!moved) Sleep(250);
            ReportProgress(10 + attempt);
        }
    }
    LogLine(FormatText(L"MoveFiles from \"%s\" to \"%s\" result %s", from.c_str(), to.c_str(), moved ? L"ok" : L"fail"));
    if (!moved) setLastAssistantError(eAssistantCntCreateDir);
    return moved;
}

// The old registration goes. Without an old registry path the folder is
// looked up under the current one and its slot takes the new folder, so
// that the installation keeps its slot instead of leaving an orphan.
void CLauncherAssistant::MoveRegistration(const std::wstring& current, const RenamingParameters& p) {
    const std::wstring listPath = p.oldRegPath.empty() ? AssistantText(data_.chRegPath) : p.oldRegPath;
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, listPath);
    const int slot = list.Find(current);
    if (p.oldRegPath.empty()) LogLine(FormatText(L"RenameInstallDirectoryes: index = %d", slot));
    if (slot < 0) return;
    LogLine(L"delete old uninstall information");
    const std::wstring oldKey = FormatText(L"%s %d", p.oldFullName.c_str(), slot);
    if (!oldKey.empty()) {
        LogLine(L"SHDeleteKey: " + std::wstring(kUninstallRoot) + oldKey);
        SHDeleteKeyW(HKEY_LOCAL_MACHINE, (kUninstallRoot + oldKey).c_str());
    }
    if (p.oldRegPath.empty()) {
        list.Load();
        list.SetSlot(slot, CInstallDirectoryList::Normalise(p.newFolder));
        list.Save();
        return;
    }
    LogLine(L"DeleteInstallDirectoryes: " + current);
    list.Remove(current);
}
