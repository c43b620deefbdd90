// The launcher's side of the assistant: the temporary copy, its elevated
// start, the record it is sent, its answers, cancelling it and removing
// the copy when the launcher ends. UI thread only.

#include "logic/assistant_link.h"

#include "logic/control_ids.h"
#include "logic/installation.h"
#include "logic/renaming.h"
#include "logic/runtime_update.h"
#include "logic/server_link.h"
#include "logic/uninstallation.h"
#include "logic/update_cycle.h"
#include "logic/user_shortcuts.h"
#include "logic/wizard_flow.h"
#include "startup/folders.h"
#include "startup/module.h"
#include "startup/text.h"
#include "startup/xml_path.h"
#include "system/admin_token.h"
#include "system/assistant_copy.h"

#include <shellapi.h>
#include <shlobj.h>
#define SECURITY_WIN32
#include <security.h>

namespace {


LauncherAssistantIcon AssistantIcon(const std::wstring& name, const std::wstring& exec, bool add) {
    LauncherAssistantIcon icon;
    icon.name = AssistantU16(name);
    icon.exec = AssistantU16(exec);
    icon.action = add ? 1 : 0;
    return icon;
}

// A configuration value of common/uninstall/@<name>, "empty" when missing.
std::wstring UninstallValue(const tinyxml2::XMLElement* root, const char* name) {
    std::string value;
    if (root && XmlText(root, std::string("common/uninstall/@") + name, value)) return Utf8ToWide(value);
    return L"empty";
}

}  // namespace

bool CAssistantLink::PrepareAssistantCopy() {
    LogPart(L"Unpacking LauncherAssistant to temp .. ");
    // One fresh folder per launcher run; later commands replace the copy
    // in it.
    if (assistantFolder_.empty()) assistantFolder_ = CreateAssistantFolder(GetTempFolder());
    if (assistantFolder_.empty()) {
        LogLine(L"Fail");
        return false;
    }
    assistantPath_ = AssistantCopyPath(assistantFolder_);
    if (FileExists(assistantPath_)) {
        SetFileAttributesW(assistantPath_.c_str(),
                           GetFileAttributesW(assistantPath_.c_str()) & ~DWORD(FILE_ATTRIBUTE_READONLY));
        DeleteFileW(assistantPath_.c_str());
    }
    const bool ok = CopyFileW(ModulePath(nullptr).c_str(), assistantPath_.c_str(), TRUE) != 0;
    LogLine(ok ? L"OK" : L"Fail");
    return ok;
}

bool CAssistantLink::RunAssistant(uint32_t command) {
    assistantCommand_ = command;
    bool started = PrepareAssistantCopy();
    if (started) {
        ctx_.flow->ShowWorkPage(command == eLauncherCmd_IconUpdate ? 83 : command == eLauncherCmd_Uninstall ? 78 : 80);
        ctx_.host->ShowWorkProgress(0);

        const bool admin = IsAdministrator();
        const HWND window = ctx_.wizard.Window();
        const std::wstring parameters =
            L"/assistant " + std::to_wstring(static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(window)));

        const std::wstring pipeName = AssistantPipeName(assistantPath_);
        LogPart(L"Pipe name: " + pipeName);
        started = assistantPipe_.Create(pipeName);
        LogLine(started ? L" create .. OK" : L" create .. Fail");
        if (started && !IsExactCopy(assistantPath_, ModulePath(nullptr))) {
            LogLine(L"The assistant's copy differs from the launcher");
            assistantPipe_.Close();
            started = false;
        }
        if (started) {
            LogPart(L"Run LauncherAssistant .. ");
            // Not the copy's folder: a process's working folder cannot be
            // removed while it runs, and the launcher removes that folder.
            const std::wstring temp = GetTempFolder();
            SHELLEXECUTEINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = SEE_MASK_NOCLOSEPROCESS;
            info.hwnd = window;
            info.lpVerb = admin ? nullptr : L"runas";
            info.lpFile = assistantPath_.c_str();
            info.lpParameters = parameters.c_str();
            info.lpDirectory = temp.c_str();
            info.nShow = SW_HIDE;
            started = ShellExecuteExW(&info) && info.hProcess;
            // The assistant reports its own process id; this handle is not kept.
            CHandle(info.hProcess).Reset();
            LogLine(started ? L"OK" : L"Fail");
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            if (!started) assistantPipe_.Close();
        }
    }
    if (!started) ctx_.flow->ShowMessage(GetString(105), kActionRetryAssistant, mbbRetry | mbbCancel, true);
    return started;
}

bool CAssistantLink::FillDataForAssistant() {
    LogLine(L"FillDataForAssistant()");
    wchar_t user[257];
    ULONG userChars = 257;
    if (!GetUserNameExW(NameSamCompatible, user, &userChars)) {
        LogLine(L" - can't get user name");
        return false;
    }
    const std::wstring serverUrl = ctx_.server->CurrentServerUrl();
    LogLine(L" username=\"" + std::wstring(user) + L"\"");
    LogLine(L" serverurl=\"" + serverUrl + L"\"");
    LogLine(L" [");

    LauncherAssistantData d;
    const tinyxml2::XMLElement* root = ctx_.config.root();
    d.chHelpLink = AssistantU16(serverUrl + UninstallValue(root, "HelpLink"));
    d.chUrlInfoAbout = AssistantU16(serverUrl + UninstallValue(root, "URLInfoAbout"));
    d.chUrlUpdateInfo = AssistantU16(serverUrl + UninstallValue(root, "URLUpdateInfo"));
    wchar_t desktop[MAX_PATH] = {};
    if (SHGetSpecialFolderPathW(nullptr, desktop, CSIDL_DESKTOPDIRECTORY, FALSE)) d.chLnkDesctopIcon = AssistantU16(desktop);
    d.chInstallFolder = AssistantU16(ctx_.installFolder);
    d.chLauncherName = u"Launcher.exe";
    d.chUserName = AssistantU16(user);
    d.chShortName = AssistantU16(Utf8ToWide(ctx_.settings.shortName));
    d.chFullName = AssistantU16(Utf8ToWide(ctx_.settings.fullName));
    d.chRegPath = AssistantU16(ctx_.config.regPath);
    d.chIconName = AssistantU16(Utf8ToWide(ctx_.settings.iconName.empty() ? ctx_.settings.fullName : ctx_.settings.iconName));
    d.chTemp = AssistantU16(ctx_.installFolder + L"\\" + Utf8ToWide(ctx_.settings.process));
    d.bIconPrograms = ctx_.flow->programsChoice();
    d.bIconProgramsFolder = ctx_.settings.iconProgramsFolder;
    d.bIconStartMenu = assistantData_.bIconStartMenu;

    // The manifest's shortcut changes; a new or renamed installation also
    // drops the shortcuts it had and gets the launcher's own.
    assistantIcons_.clear();
    for (const ProgramChange& c : programChanges_) assistantIcons_.push_back(AssistantIcon(c.name, c.exec, c.add));
    if (ctx_.runMode == rmInstall || ctx_.runMode == rmSetLongName) {
        LogLine(L" (");
        for (const AppListRecord& old : ctx_.installation->oldShortcuts()) {
            const std::wstring name = RecordText(old.name, 65), exec = RecordText(old.exec, 261);
            if (name.empty()) continue;  // an installed add-on, not a shortcut
            assistantIcons_.push_back(AssistantIcon(name, exec, false));
            LogLine(L"  Del: " + name + L" -> " + exec);
        }
        LauncherAssistantIcon launcher;
        launcher.name = d.chIconName;
        launcher.exec = u"Launcher.exe";
        launcher.action = 1;
        assistantIcons_.push_back(launcher);
        LogLine(L"  Add: " + AssistantText(launcher.name) + L" -> " + AssistantText(launcher.exec));
        LogLine(L" )");
    }
    d.iconCount = uint32_t(assistantIcons_.size());
    assistantData_ = d;
    LogLine(L" ]");
    LogLine(L" - success");
    return true;
}

void CAssistantLink::SendDataToAssistant() {
    const LauncherAssistantData& d = assistantData_;
    LogLine(L"");
    LogLine(L"--- SendDataToAssistant ---");
    LogLine(L"");
    const struct { const wchar_t* label; const std::u16string& value; } kFields[] = {
        {L"  chInstallFolder = ", d.chInstallFolder}, {L"  chUserName = ", d.chUserName},
        {L"  chShortName = ", d.chShortName},         {L"  chFullName = ", d.chFullName},
        {L"  chIconName = ", d.chIconName},           {L"  chRegPath = ", d.chRegPath},
        {L"  chHelpLink = ", d.chHelpLink},           {L"  chUrlInfoAbout = ", d.chUrlInfoAbout},
        {L"  chUrlUpdateInfo = ", d.chUrlUpdateInfo}, {L"  chLnkDesctopIcon = ", d.chLnkDesctopIcon},
        {L"  chLauncherName = ", d.chLauncherName},   {L"  chTemp = ", d.chTemp},
    };
    for (const auto& f : kFields) LogLine(f.label + AssistantText(f.value));
    LogLine(std::wstring(L"  bIconPrograms = ") + (d.bIconPrograms ? L"true" : L"false"));
    LogLine(std::wstring(L"  bIconProgramsFolder = ") + (d.bIconProgramsFolder ? L"true" : L"false"));
    LogLine(std::wstring(L"  bIconStartMenu = ") + (d.bIconStartMenu ? L"true" : L"false"));

    assistantData_.command = assistantCommand_;
    assistantData_.iconCount = uint32_t(assistantIcons_.size());
    const uint32_t command = assistantCommand_;
    assistantPipe_.Write(&command, sizeof command);
    const std::vector<uint8_t> record = EncodeAssistantData(assistantData_);
    assistantPipe_.Write(record.data(), record.size());
    LogLine(L"");
    LogLine(L"  Icons:");
    for (const LauncherAssistantIcon& icon : assistantIcons_) {
        const std::vector<uint8_t> bytes = EncodeAssistantIcon(icon);
        assistantPipe_.Write(bytes.data(), bytes.size());
        LogLine(L"  ------");
        LogLine(L"  Name = " + AssistantText(icon.name));
        LogLine(L"  Exec = " + AssistantText(icon.exec));
        LogLine(std::wstring(L"  Action = ") + (icon.action == 1 ? L"Add" : L"Del"));
    }
    LogLine(L"");
    LogLine(L"---------------------------");
    LogLine(L"");
}

// Gives up on the running command: the pipe closes, so an assistant still
// waiting for its data ends at once, and its late answer is not acted on.
void CAssistantLink::AbandonAssistant() {
    assistantCommand_ = 0;
    assistantPipe_.Close();
}

void CAssistantLink::OnAssistantInitResult(WPARAM w, LPARAM l) {
    LogLine(L"OnUserMessage: eWindowsMessage_LauncherAssistantInitResult");
    if (l != 0) {
        // wParam is a system error code here, not a process id.
        LogLine(L"::eLauncherCmd_Init" + AnsiToWide(AssistantResultText(int32_t(l), uint32_t(w))));
        AbandonAssistant();
        ctx_.host->ShowError(101);
        return;
    }
    assistantProcess_.Reset(OpenProcess(SYNCHRONIZE, FALSE, DWORD(w)));
    if (!assistantProcess_.IsValid()) {
        AbandonAssistant();
        ctx_.host->ShowError(101);
        return;
    }
    const uint32_t command = assistantCommand_;
    if (!IsValidLauncherCmd(command) || command == eLauncherCmd_Progress || command == eLauncherCmd_Cancel) {
        LogLine(L" .. error: unknown eLauncherCmd");
        AbandonAssistant();
        ctx_.host->ShowError(101);
        return;
    }
    LogLine(L"::" + AnsiToWide(LauncherCmdName(command)) + L" .. OK");
    if (command == eLauncherCmd_InstallKB) {
        assistantPipe_.Write(&command, sizeof command);
        return;
    }
    if (!FillDataForAssistant()) {
        AbandonAssistant();
        ctx_.host->ShowError(107);
        return;
    }
    if (command == eLauncherCmd_SetLongName) {
        assistantData_.bIconPrograms = true;
        assistantData_.chTemp = AssistantU16(ctx_.commandArgument);
    }
    SendDataToAssistant();
}

void CAssistantLink::OnAssistantWorkResult(WPARAM w, LPARAM l) {
    LogLine(L"OnUserMessage: eWindowsMessage_LauncherAssistantWorkResult");
    assistantPipe_.Close();
    const uint32_t pending = assistantCommand_;
    if (pending == 0) {
        LogLine(L"  .. no assistant command pending, ignored");
        return;
    }
    const int32_t result = int32_t(l);
    const uint32_t command = uint32_t(w);
    if (command == eLauncherCmd_Progress || !IsValidLauncherCmd(command) || command == eLauncherCmd_Cancel) {
        LogLine(L"error: unknown eLauncherCmd");
        ctx_.host->ShowError(101);
        return;
    }
    LogLine(L"::" + AnsiToWide(LauncherCmdName(command)) + AnsiToWide(AssistantResultText(result, 0)));
    switch (command) {
    case eLauncherCmd_Install:
        if (result == 0) {
            if (pending == eLauncherCmd_Install) ctx_.installation->OnAssistantInstalled();
        } else if (result == eAssistantTooManyClients) {
            // The table's "%s" is filled in directly: a translated text is
            // never used as a format.
            std::wstring text = GetString(109);
            const size_t at = text.find(L"%s");
            if (at != std::wstring::npos) text.replace(at, 2, Utf8ToWide(ctx_.settings.fullName));
            ctx_.flow->ShowMessage(text, kActionError, mbbOk, true);
        } else {
            ctx_.host->ShowError(108);
        }
        break;
    case eLauncherCmd_InstallKB:
        ctx_.runtime->OnAssistantResult(result);
        break;
    case eLauncherCmd_Uninstall:
        if (pending == eLauncherCmd_Uninstall) ctx_.uninstallation->OnAssistantResult(result);
        break;
    case eLauncherCmd_GetRights:
        if (result == 0) ctx_.host->StartWork();
        else ctx_.host->ShowError(70);
        break;
    case eLauncherCmd_IconUpdate:
        if (result == 0) ctx_.shortcuts->UpdateUserShortcuts(false, programChanges_);
        ctx_.update->processStartDownload();
        break;
    case eLauncherCmd_KillProcess:
        ctx_.host->Exit();
        break;
    case eLauncherCmd_SetLongName:
        if (result == 0) {
            ctx_.renaming->FinishRenaming();
            ctx_.host->Exit();
        } else {
            ctx_.host->ShowError(108);
        }
        break;
    default:
        break;
    }
}

bool CAssistantLink::CancelAssistant() {
    if (!assistantProcess_.IsValid()) return false;
    LogLine(L"Sending cancel to launcher assistant");
    const uint32_t cancel = eLauncherCmd_Cancel;
    assistantPipe_.Write(&cancel, sizeof cancel);
    const bool ended = WaitForSingleObject(assistantProcess_.Get(), 5000) == WAIT_OBJECT_0;
    assistantProcess_.Reset();
    return ended;
}

void CAssistantLink::DeleteAssistantCopy() {
    if (assistantFolder_.empty()) return;
    LogLine(L"Deleting launcher assistant from temp");
    assistantPipe_.Close();
    // An assistant that has just answered may still be closing; its file
    // cannot go before it has.
    if (assistantProcess_.IsValid()) WaitForSingleObject(assistantProcess_.Get(), 5000);
    assistantProcess_.Reset();
    RemoveAssistantFolder(assistantFolder_);
    assistantFolder_.clear();
    assistantPath_.clear();
}

void CAssistantLink::SetProgramChanges(const std::vector<ProgramChange>& changes) { programChanges_ = changes; }
