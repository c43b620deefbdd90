// The user's own shortcuts and the window's taskbar identity. UI thread.

#include "logic/user_shortcuts.h"

#include "logic/taskbar_app_id.h"
#include "logic/wizard_flow.h"
#include "startup/folders.h"
#include "startup/format_text.h"
#include "startup/text.h"
#include "system/com_ref.h"
#include "system/install_directory_list.h"
#include "system/shortcuts.h"

#include <propsys.h>
#include <shlobj.h>
// The property keys are defined here, in the one file that uses them.
#include <initguid.h>
#include <propkey.h>

namespace {

constexpr int kPortableNames = 100;

// The installation's slot among the standard installations, or -1.
int InstallationIndex(const LogicContext& ctx) {
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, ctx.config.regPath);
    return list.Find(ctx.installFolder);
}

std::wstring FullName(const LogicContext& ctx) { return Utf8ToWide(ctx.settings.fullName); }

std::wstring IconName(const LogicContext& ctx) {
    return Utf8ToWide(ctx.settings.iconName.empty() ? ctx.settings.fullName : ctx.settings.iconName);
}

// A portable installation's shortcuts carry the number its launcher
// shortcut got when it was made; -1 (no number) when none points here.
int PortableIndex(const LogicContext& ctx) {
    const std::wstring target = ctx.installFolder + L"\\Launcher.exe";
    const std::wstring base = IconName(ctx), fullName = FullName(ctx);
    for (int number = 0; number < kPortableNames; ++number) {
        const std::wstring name = ShortcutDisplayName(base, true, number);
        for (const auto& [csidl, subFolder] : {std::pair<int, std::wstring>{CSIDL_DESKTOP, L""},
                                               {CSIDL_STARTMENU, L""}, {CSIDL_PROGRAMS, fullName}}) {
            const std::wstring path = ShortcutPath(target, name, csidl, subFolder);
            if (FileExists(path) && _wcsicmp(ShortcutTarget(path).c_str(), target.c_str()) == 0) return number;
        }
    }
    return -1;
}

// The bytes of the launcher's icon-group resource, empty without one.
std::string IconGroupBytes() {
    const HRSRC found = FindResourceW(nullptr, MAKEINTRESOURCEW(101), MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
    const HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), SizeofResource(nullptr, found)) : std::string();
}

void SetText(IPropertyStore* store, const PROPERTYKEY& key, const std::wstring& text) {
    PROPVARIANT value{};
    value.vt = VT_LPWSTR;
    value.pwszVal = const_cast<wchar_t*>(text.c_str());  // copied by the store
    store->SetValue(key, value);
}

}  // namespace

void CUserShortcuts::CreateDesktopShortcutsAfterInstall(const std::vector<LauncherAssistantIcon>& sent) {
    if (!ctx_.flow->desktopChoice()) return;
    const int index = InstallationIndex(ctx_);
    for (const LauncherAssistantIcon& icon : sent)
        CreateShortcut(ctx_.installFolder + L"\\" + AssistantText(icon.exec), L"",
                       ShortcutDisplayName(AssistantText(icon.name), false, index), CSIDL_DESKTOP, L"", 0, false);
}

void CUserShortcuts::UpdateUserShortcuts(bool portable, const std::vector<ProgramChange>& changes) {
    const int index = portable ? PortableIndex(ctx_) : InstallationIndex(ctx_);
    const std::wstring fullName = FullName(ctx_);
    for (const ProgramChange& change : changes) {
        const std::wstring name = ShortcutDisplayName(change.name, portable, index);
        const std::wstring target = ctx_.installFolder + L"\\" + change.exec;
        if (change.add) {
            LogLine(FormatText(L"create desctop icon: %s", name.c_str()));
            CreateShortcut(target, L"", name, CSIDL_DESKTOP, L"", 0, false);
            if (!portable) continue;
            CreateShortcut(target, L"", name, CSIDL_STARTMENU, L"", 0, false);
            CreateShortcut(target, L"", name, CSIDL_PROGRAMS, fullName, 0, false);
        } else {
            LogLine(FormatText(L"delete desctop icon: %s", name.c_str()));
            DeleteShortcut(target, name, CSIDL_DESKTOP, L"");
            if (!portable) continue;
            DeleteShortcut(target, name, CSIDL_STARTMENU, L"");
            DeleteShortcut(target, name, CSIDL_PROGRAMS, fullName);
        }
    }
}

void CUserShortcuts::CreatePortableShortcuts(const std::vector<ProgramChange>& changes) {
    const std::wstring target = ctx_.installFolder + L"\\Launcher.exe";
    const std::wstring base = IconName(ctx_), fullName = FullName(ctx_);
    // A number is taken while any of its three shortcuts is left, also one
    // whose twin the user deleted.
    int number = 0;
    std::wstring name;
    for (; number < kPortableNames; ++number) {
        name = ShortcutDisplayName(base, true, number);
        if (!FileExists(ShortcutPath(target, name, CSIDL_DESKTOP, L"")) &&
            !FileExists(ShortcutPath(target, name, CSIDL_STARTMENU, L"")) &&
            !FileExists(ShortcutPath(target, name, CSIDL_PROGRAMS, fullName)))
            break;
    }
    if (number == kPortableNames) return;
    const bool desktop = ctx_.flow->desktopChoice(), programs = ctx_.flow->programsChoice();
    if (desktop) CreateShortcut(target, L"", name, CSIDL_DESKTOP, L"", 0, false);
    if (programs) {
        CreateShortcut(target, L"", name, CSIDL_PROGRAMS, fullName, 0, ctx_.settings.iconProgramsFolder);
        const std::wstring uninstall =
            FormatText(L"/uninstall \"%s\"", ShortcutPath(target, name, CSIDL_DESKTOP, L"").c_str());
        CreateShortcut(target, uninstall, UninstallShortcutName(name), CSIDL_PROGRAMS, fullName, 1, false);
    }
    for (const ProgramChange& change : changes) {
        const std::wstring program = ShortcutDisplayName(change.name, true, number);
        const std::wstring path = ctx_.installFolder + L"\\" + change.exec;
        if (desktop) CreateShortcut(path, L"", program, CSIDL_DESKTOP, L"", 0, false);
        if (programs) CreateShortcut(path, L"", program, CSIDL_PROGRAMS, fullName, 0, false);
    }
}

void CUserShortcuts::SetTaskbarIdentity() {
    const std::wstring launcher = ctx_.installFolder.empty() ? L"" : ctx_.installFolder + L"\\Launcher.exe";
    const std::wstring appId = TaskbarAppId(FullName(ctx_), IconGroupBytes(), WideToAnsi(ctx_.installFolder));
    ctx_.appIdArgument = L" -appID \"" + appId + L"\"";

    using GetStore = HRESULT(WINAPI*)(HWND, REFIID, void**);
    const HMODULE shell = GetModuleHandleW(L"shell32.dll");
    const auto getStore =
        shell ? reinterpret_cast<GetStore>(reinterpret_cast<void*>(GetProcAddress(shell, "SHGetPropertyStoreForWindow")))
              : nullptr;
    CComRef<IPropertyStore> holder;
    if (!getStore || FAILED(getStore(ctx_.wizard.Window(), IID_IPropertyStore, holder.Out()))) return;
    IPropertyStore* store = holder.get();
    if (!store) return;
    if (launcher.empty()) {
        PROPVARIANT prevent{};
        prevent.vt = VT_BOOL;
        prevent.boolVal = VARIANT_TRUE;
        store->SetValue(PKEY_AppUserModel_PreventPinning, prevent);
    } else {
        SetText(store, PKEY_AppUserModel_ID, launcher + appId);
        SetText(store, PKEY_AppUserModel_RelaunchCommand, launcher);
        SetText(store, PKEY_AppUserModel_RelaunchDisplayNameResource, FullName(ctx_));
        SetText(store, PKEY_AppUserModel_RelaunchIconResource, launcher);
    }
    store->Commit();
}
