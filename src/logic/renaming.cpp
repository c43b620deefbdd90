#include "logic/renaming.h"

#include "logic/assistant_link.h"
#include "logic/installation.h"
#include "logic/user_shortcuts.h"
#include "startup/folders.h"
#include "startup/handle.h"
#include "startup/log_files.h"
#include "startup/text.h"
#include "system/install_directory_list.h"
#include "system/process_list.h"
#include "system/shortcuts.h"
#include "system/temporary_copy.h"

#include <cwctype>

namespace {

std::wstring Lower(std::wstring s) {
    for (wchar_t& c : s) c = wchar_t(std::towlower(c));
    return s;
}

std::wstring Parent(const std::wstring& folder) { return folder.substr(0, folder.rfind(L'\\') + 1); }

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), int(a.size()), b.c_str(), int(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

CChangesList LoadChanges(const std::wstring& folder) {
    CChangesList changes;
    CHandle file(CreateFileW((folder + L"\\changes.dat").c_str(), GENERIC_READ | GENERIC_WRITE,
                             FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > (1 << 20)) return changes;
    std::string bytes(size_t(size.QuadPart), '\0');
    DWORD read = 0;
    if (!bytes.empty() && !ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr)) return changes;
    bytes.resize(read);
    changes.Parse(bytes);
    return changes;
}

bool SaveChanges(const std::wstring& folder, const CChangesList& changes) {
    CHandle file(CreateFileW((folder + L"\\changes.dat").c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    const std::string bytes = changes.Bytes();
    DWORD written = 0;
    return file.IsValid() && WriteFile(file.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
           written == bytes.size();
}

bool CRenaming::ApplyActions(bool markOnly) {
    LogLine(L"Apply actions (sed.exe)");
    const ConfiguredActions actions = ReadConfiguredActions(ctx_.config.root());
    if (!actions.present) return false;
    bool exit = false;
    if (ctx_.installFolder.size() >= 4) {
        if (actions.setLongName) exit = SetLongName(*actions.setLongName, markOnly);
        if (!exit) {
            for (const RenameAction& action : actions.renames) Rename(action);
            RefreshInstalledVersion();
        }
    }
    if (exit) LogLine(L"ApplyActions() - need exit");
    return exit;
}

bool CRenaming::SetLongName(const SetLongNameAction& action, bool markOnly) {
    const std::wstring& folder = ctx_.installFolder;
    CChangesList changes = LoadChanges(folder);
    if (markOnly) {
        if (changes.Record(action.id)) SaveChanges(folder, changes);
        return false;
    }
    if (!changes.Applies(action.id, action.verStart, action.verEnd)) return false;
    const std::wstring parent = Parent(folder), name = folder.substr(parent.size());
    const std::wstring oldLong = Utf8ToWide(action.oldLongName), newLong = Utf8ToWide(action.newLongName);
    if (ctx_.portable && !(action.applyToPortable && Lower(name) == Lower(oldLong))) {
        if (changes.Record(action.id)) SaveChanges(folder, changes);
        return false;
    }
    const size_t at = Lower(name).find(Lower(oldLong));
    if (at == std::wstring::npos) return false;
    RenamingParameters p;
    p.folder = folder;
    p.newFolder = parent + name.substr(0, at) + newLong + name.substr(at + oldLong.size());
    p.oldShortName = Utf8ToWide(action.oldShortName);
    p.oldFullName = oldLong;
    p.oldRegPath = Utf8ToWide(action.oldRegPath);
    p.oldIconName = Utf8ToWide(action.oldIconName);
    p.actionId = action.id;
    return StartRenamingRun(p);
}

// A move copies first and deletes its source only once the copy is there;
// a source that is missing (the action ran before) leaves the target alone.
void CRenaming::Rename(const RenameAction& action) {
    const std::wstring& folder = ctx_.installFolder;
    CChangesList changes = LoadChanges(folder);
    if (!changes.Applies(action.id, action.verStart, action.verEnd)) return;
    const RenamePlan plan = PlanRename(action.name, action.toName);
    const std::wstring source = folder + L"\\" + Utf8ToWide(plan.source);
    const std::wstring target = folder + L"\\" + Utf8ToWide(plan.target);
    switch (plan.effect) {
    case RenameEffect::DeleteFolder:
        DeleteFolder(source);
        break;
    case RenameEffect::DeleteFile:
        DeleteFileW(source.c_str());
        break;
    case RenameEffect::Move:
        if (!FileExists(source) || SamePath(source, target)) break;
        CreateFolderTree(Parent(target));
        SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(target.c_str());
        if (CopyFileW(source.c_str(), target.c_str(), TRUE)) DeleteFileW(source.c_str());
        else LogLine(L"Rename: cannot copy " + source + L" to " + target + L"; the file stays");
        break;
    case RenameEffect::Nothing:
        if (plan.source.empty()) LogLine(L"Rename: refused name \"" + Utf8ToWide(action.name) + L"\"");
        break;
    }
    if (changes.Record(action.id)) SaveChanges(folder, changes);
}

void CRenaming::RefreshInstalledVersion() {
    CChangesList changes = LoadChanges(ctx_.installFolder);
    const std::wstring client = ctx_.installFolder + L"\\" + Utf8ToWide(ctx_.settings.process);
    if (FileExists(client)) changes.SetVersion(ParseDottedVersion(WideToUtf8(ReadFileVersion(client))));
    SaveChanges(ctx_.installFolder, changes);
}

bool CRenaming::RunMigrations() {
    const std::vector<Migration> migrations = ReadMigrations(ctx_.config.root());
    if (migrations.empty()) return false;
    const std::wstring folder = OwnFolder();
    const std::wstring newShort = Utf8ToWide(ctx_.settings.shortName);
    if (FileExists(folder + L"\\guest.dat")) {
        for (const Migration& m : migrations) CopyPreferences(newShort, Utf8ToWide(m.shortName));
        return false;
    }
    for (const Migration& m : migrations) {
        const std::wstring regPath = Utf8ToWide(m.regPath);
        // The product's own path lists the folder again after the rename:
        // it is no earlier product, and renaming for it would never end.
        if (SamePath(regPath, ctx_.config.regPath)) continue;
        CInstallDirectoryList list;
        list.Open(HKEY_LOCAL_MACHINE, regPath);
        if (list.Find(folder) < 0) continue;
        CopyPreferences(newShort, Utf8ToWide(m.shortName));
        RenamingParameters p{folder, Parent(folder) + Utf8ToWide(ctx_.settings.fullName), Utf8ToWide(m.shortName),
                             Utf8ToWide(m.fullName), regPath, Utf8ToWide(m.iconName), 0};
        return StartRenamingRun(p);
    }
    return false;
}

void CRenaming::CopyPreferences(const std::wstring& newShortName, const std::wstring& oldShortName) {
    const std::wstring base = OwnFolder();
    const std::wstring source = base + L"\\" + oldShortName + L"\\preferences\\prefs.cs";
    const std::wstring target = base + L"\\" + newShortName + L"\\preferences\\prefs.cs";
    if (!FileExists(source) || SamePath(source, target)) return;
    CreateFolderTree(Parent(target));
    SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(target.c_str());
    if (CopyFileW(source.c_str(), target.c_str(), TRUE)) {
        SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(source.c_str());
    }
}

bool CRenaming::StartRenamingRun(const RenamingParameters& p) {
    std::wstring line;
    const bool started = StartTemporaryCopy(L"RNM", RenamingSwitch(p), line) == TemporaryCopyResult::Started;
    LogLine(L"Renaming run: " + line + (started ? L" .. started" : L" .. failed"));
    return started;
}

std::vector<ProgramChange> CRenaming::InstalledPrograms() const {
    std::vector<AppListRecord> records;
    CAppList::Read(ctx_.installFolder, records);
    std::vector<ProgramChange> programs;
    for (const AppListRecord& r : records) {
        const std::wstring name = RecordText(r.name, 65);
        if (!name.empty()) programs.push_back({name, RecordText(r.exec, 261), true});
    }
    return programs;
}

void CRenaming::StartRenaming() {
    RenamingParameters p;
    if (!ParseKeptParameters(ctx_.commandArgument, p) || !IsRenameInPlace(ctx_.installFolder, p.newFolder)) {
        LogLine(L"SetLongName: the parameters do not name a folder beside the installation");
        ctx_.host->ShowError(108);
        return;
    }
    // The launcher that started this run is on its way out; its folder can
    // move only once it has gone.
    const std::wstring launcher = ctx_.installFolder + L"\\Launcher.exe";
    for (int wait = 0; wait < 100 && !ProcessesWithModulePath(launcher, GetCurrentProcessId()).empty(); ++wait)
        Sleep(100);
    ctx_.installation->ClearVirtualStore();
    // The client's program shortcuts move with the folder.
    ctx_.assistant->SetProgramChanges(InstalledPrograms());
    ctx_.assistant->RunAssistant(eLauncherCmd_SetLongName);
}

void CRenaming::FinishRenaming() {
    RenamingParameters p;
    if (!ParseKeptParameters(ctx_.commandArgument, p)) return;
    const std::wstring oldFolder = ctx_.installFolder;
    DeleteAllShortcuts(oldFolder + L"\\Launcher.exe", p.oldFullName);
    for (const LauncherAssistantIcon& icon : ctx_.assistant->sentIcons())
        if (_wcsicmp(AssistantText(icon.exec).c_str(), L"Launcher.exe") != 0)
            DeleteAllShortcuts(oldFolder + L"\\" + AssistantText(icon.exec), p.oldFullName);
    ctx_.installFolder = p.newFolder;
    if (ctx_.portable) ctx_.shortcuts->CreatePortableShortcuts(InstalledPrograms());
    else ctx_.shortcuts->CreateDesktopShortcutsAfterInstall(ctx_.assistant->sentIcons());
    if (p.actionId != 0) {
        CChangesList changes = LoadChanges(p.newFolder);
        if (changes.Record(p.actionId)) SaveChanges(p.newFolder, changes);
    }
    LogLine(L"SetLongName - run launcher from: " + p.newFolder);
    StartProcess(L"\"" + p.newFolder + L"\\Launcher.exe\" /skiptest", GetTempFolder());
}
