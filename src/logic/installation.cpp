// The installation step after the server information, the rights check
// before updates and the add-on programs. UI thread only.

#include "logic/installation.h"

#include "logic/assistant_link.h"
#include "logic/tray.h"
#include "logic/update_cycle.h"
#include "logic/user_shortcuts.h"
#include "logic/wizard_flow.h"
#include "startup/folders.h"
#include "startup/format_text.h"
#include "startup/module.h"
#include "startup/registry_key.h"
#include "startup/text.h"
#include "startup/window_messages.h"
#include "startup/xml_path.h"
#include "system/admin_token.h"
#include "system/assistant_records.h"
#include "system/copy_whole_file.h"
#include "system/install_directory_list.h"
#include "system/item_id_list.h"

#include <shellapi.h>
#include <shlobj.h>

namespace {

bool SamePath(const std::wstring& a, const std::wstring& b) { return _wcsicmp(a.c_str(), b.c_str()) == 0; }

// The picker opens at the folder, or at its nearest parent that exists.
int CALLBACK PickerEvent(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        std::wstring folder = reinterpret_cast<const wchar_t*>(data);
        while (!folder.empty() && !IsDirectory(folder)) {
            const size_t cut = folder.find_last_of(L'\\');
            folder = cut == std::wstring::npos ? std::wstring() : folder.substr(0, cut);
        }
        if (folder.size() == 2 && folder[1] == L':') folder += L'\\';
        if (!folder.empty()) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder.c_str()));
    }
    // A name that is no folder keeps the dialog open.
    return message == BFFM_VALIDATEFAILEDW ? 1 : 0;
}

}  // namespace

bool WriteProbe(const std::wstring& folder) {
    if (!IsDirectory(folder)) return false;
    const std::wstring probe = folder + L"\\$test.bat";
    CFile file(CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsValid()) return false;
    file.Reset();
    SetFileAttributesW(probe.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(probe.c_str());
    return true;
}

void CInstallation::BrowseForFolder() {
    const std::wstring title = GetString(24);
    BROWSEINFOW info{};
    info.hwndOwner = ctx_.wizard.Window() ? ctx_.wizard.Window() : GetActiveWindow();
    info.lpszTitle = title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS;
    info.lpfn = PickerEvent;
    info.lParam = reinterpret_cast<LPARAM>(ctx_.installFolder.c_str());
    const CItemIdList chosen(SHBrowseForFolderW(&info));
    if (!chosen.IsValid()) return;  // cancelled
    wchar_t path[MAX_PATH] = {};
    std::wstring folder = SHGetPathFromIDListW(chosen.Get(), path) ? CInstallDirectoryList::Normalise(path) : L"";
    while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
    if (folder.empty()) {
        ctx_.host->ShowError(93);
        return;
    }
    ctx_.installFolder = folder;
    LogLine(L"Install Folder  " + folder);
    ctx_.flow->ShowInstallFolder();
}

void CInstallation::StartInstallation() {
    if (ctx_.installFolder.size() < 4) {
        LogLine(L"Unable create dest directory");
        ctx_.host->ShowError(93);
        return;
    }
    ClearVirtualStore();
    if (ctx_.runMode == rmInstall && BeginInstall()) return;
    ContinueInstallation();
}

bool CInstallation::BeginInstall() {
    oldShortcuts_.clear();
    CAppList::Read(ctx_.installFolder, oldShortcuts_);
    if (!oldShortcuts_.empty()) LogLine(L"applist.dat is present, need to delete old icons");
    if (!ctx_.flow->portableChoice()) {
        if (ctx_.log) ctx_.log->WriteNewLines(1);
        LogLine(L"--- Start Install ---");
        if (ctx_.log) ctx_.log->WriteNewLines(1);
        ctx_.assistant->RunAssistant(eLauncherCmd_Install);
        return true;
    }
    ctx_.assistant->SetProgramChanges({});
    LogLine(L"Start - guest install");
    if (!PrepareGuestFolder(ctx_.installFolder)) {
        ctx_.host->ShowError(93);
        return true;
    }
    ctx_.portable = true;
    ctx_.shortcuts->CreatePortableShortcuts({});
    return false;
}

bool CInstallation::PrepareGuestFolder(const std::wstring& folder) {
    LogPart(L"prepare guest directory .. ");
    CFile marker;
    if ((IsDirectory(folder) || CreateFolderTree(folder)) && WriteProbe(folder))
        marker.Reset(CreateFileW((folder + L"\\guest.dat").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!marker.IsValid()) {
        LogLine(L"fail");
        return false;
    }
    LogLine(L"OK");
    return true;
}

void CInstallation::OnAssistantInstalled() {
    ctx_.shortcuts->CreateDesktopShortcutsAfterInstall(ctx_.assistant->sentIcons());
    ContinueInstallation();
}

void CInstallation::ContinueInstallation() {
    if (!IsDirectory(ctx_.installFolder) && !CreateFolderTree(ctx_.installFolder)) {
        ctx_.host->ShowError(93);
        return;
    }
    if (ctx_.runMode == rmInstall) {
        std::string file;
        if (!XmlText(ctx_.config.root(), "common/shortcut/@file", file) || file.empty()) file = "Launcher.exe";
        std::wstring name = Utf8ToWide(file);
        if (name.size() < 4 || _wcsicmp(name.c_str() + name.size() - 4, L".exe") != 0) name += L".exe";
        const std::wstring target = ctx_.installFolder + L"\\" + name;
        const std::wstring self = ModulePath(nullptr);
        if (!SamePath(self, target) && !CopyWholeFile(self, target)) {
            ctx_.tray->ShowSystemErrorReport(target, GetLastError());
            return;
        }
        ctx_.shortcuts->SetTaskbarIdentity();
    }
    std::set<std::wstring> chosen;
    for (const ExtAddOn& addOn : ctx_.flow->addOns())
        if (addOn.selected) chosen.insert(addOn.exec);
    ctx_.update->state().checker.SetSelectedAddOns(chosen);
    ctx_.update->state().checker.Continue();
}

bool CInstallation::RecordsWritable() {
    for (const wchar_t* sub : {L"", L"\\Install", L"\\Language", L"\\Login"}) {
        const std::wstring path = ctx_.config.regPath + sub;
        CRegistryKey key;
        if (key.Create(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS) {
            LogLine(L"Can not write to reg path: " + path);
            return false;
        }
    }
    return true;
}

bool CInstallation::CheckRightsBeforeUpdate() {
    if (ctx_.runMode != rmUpdate && ctx_.runMode != rmDownload) return true;
    ClearVirtualStore();
    const bool writable = WriteProbe(ctx_.installFolder);
    if (writable && (ctx_.portable || RecordsWritable())) return true;
    if (!ctx_.portable) {
        // The update starts when the assistant answers: starting it now
        // would write into the folder before the rights are there, and
        // the answer would start it a second time.
        ctx_.assistant->RunAssistant(eLauncherCmd_GetRights);
        return false;
    }
    if (ctx_.runMode == rmDownload) {
        PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientPipeReady, WPARAM(ctx_.wizard.Window()), 1);
        ctx_.host->Exit();
        return false;
    }
    ctx_.host->ShowError(70);
    return false;
}

void CInstallation::ClearVirtualStore() {
    if (ctx_.installFolder.size() < 4) return;
    if (ctx_.log) ctx_.log->WriteNewLines(1);
    LogLine(L"Clear virtual store path");
    wchar_t local[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathW(nullptr, local, CSIDL_LOCAL_APPDATA, FALSE)) return;
    const size_t colon = ctx_.installFolder.find(L':');
    std::wstring rest = colon == std::wstring::npos ? ctx_.installFolder : ctx_.installFolder.substr(colon + 1);
    if (!rest.empty() && rest[0] == L'\\') rest.erase(0, 1);
    const std::wstring path = std::wstring(local) + L"\\VirtualStore\\" + rest;
    LogPart(L"  " + path);
    if (IsDirectory(path)) {
        DeleteFolder(path);
        LogLine(L" .. OK");
    } else {
        LogLine(L" .. not found");
    }
}

void CInstallation::RunExternalApplications() {
    const std::vector<ExtAddOn>& addOns = ctx_.flow->addOns();
    if (addOns.empty()) return;
    const bool admin = IsAdministrator();
    if (ctx_.log) ctx_.log->WriteNewLines(1);
    LogLine(L"--- Run external applications ---");
    if (ctx_.log) ctx_.log->WriteNewLines(1);
    for (const ExtAddOn& addOn : addOns) {
        if (!addOn.selected) continue;
        const std::wstring path = ctx_.installFolder + L"\\" + addOn.exec;
        LogLine(FormatText(L"  Run ext file: %s", path.c_str()));
        if (!FileExists(path)) {
            LogLine(L"   .. fail - file not found");
            continue;
        }
        SHELLEXECUTEINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS;
        info.lpVerb = admin ? nullptr : L"runas";
        info.lpFile = path.c_str();
        info.lpParameters = addOn.cmdl.c_str();
        info.nShow = SW_HIDE;
        const bool started = ShellExecuteExW(&info) && info.hProcess;
        // Not waited for; the handle is not kept.
        CHandle(info.hProcess).Reset();
        LogLine(started ? L"   .. ok" : L"   .. fail");
    }
    if (ctx_.log) ctx_.log->WriteNewLines(1);
    LogLine(L"---------------------------------");
}
