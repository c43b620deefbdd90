#include "logic/logic.h"

#include "startup/launcher_error.h"
#include "startup/folders.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/package_store.h"
#include "startup/run_mode.h"
#include "startup/text.h"
#include "system/install_directory_list.h"

#include <shellapi.h>

#include <cwchar>

namespace {

constexpr int kPackageId = 130;

// Per-monitor awareness (version 2) where User32 offers it. A system that
// has the call but does not know the version-2 context (it answers
// ERROR_INVALID_PARAMETER) is treated like one without the call.
bool MakeDpiAware() {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    using ContextFn = BOOL(WINAPI*)(HANDLE);
    using AwareFn = BOOL(WINAPI*)();
    if (auto context = reinterpret_cast<ContextFn>(
            reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDpiAwarenessContext")))) {
        if (context(reinterpret_cast<HANDLE>(static_cast<intptr_t>(-4)))) return true;
        if (GetLastError() != ERROR_INVALID_PARAMETER) return false;
    }
    if (auto aware = reinterpret_cast<AwareFn>(reinterpret_cast<void*>(GetProcAddress(user32, "SetProcessDPIAware"))))
        return aware() != FALSE;
    return false;
}

}  // namespace


CLogic::CLogic(IWizard& wizard) : ctx_(wizard) {
    ctx_.os.Detect();
    ctx_.host = this;
    ctx_.server = &server_;
    ctx_.update = &update_;
    ctx_.downloads = &downloads_;
    ctx_.client = &client_;
    ctx_.tasks = &tasks_;
    ctx_.assistant = &assistant_;
    ctx_.tray = &tray_;
    ctx_.texts = &texts_;
    ctx_.replacement = &replacement_;
    ctx_.installation = &installation_;
    ctx_.uninstallation = &uninstallation_;
    ctx_.runtime = &runtime_;
    ctx_.renaming = &renaming_;
    ctx_.flow = &flow_;
    ctx_.shortcuts = &shortcuts_;
}

CLogic::~CLogic() {
    ctx_.wizard.Destroy();
    ctx_.languages.Destroy();
}

bool CLogic::preinit() {
    const uint8_t* bytes = nullptr;
    DWORD size = 0;
    if (!ReadModuleResource(L"ZIP", kPackageId, bytes, size) || !PackageStore().OpenPackage(bytes, size))
        return false;
    if (!LoadLauncherConfig(PackageStore(), ctx_.config, ctx_.languages)) {
        ctx_.languages.Destroy();
        return false;
    }
    return true;
}

std::wstring OwnFolder() {
    const std::wstring exe = ModulePath(nullptr);
    return exe.substr(0, exe.rfind(L'\\'));
}

void CLogic::setFlags(const CommandLineFlags& flags) {
    ctx_.fast = flags.fast;
    ctx_.runByClientCritical = flags.runByClientCritical;
    ctx_.restart = flags.restart;
    ctx_.automatic = flags.automatic;
    ctx_.runByClient = flags.runByClient || flags.runByClientCritical;
    ctx_.uninstallShortcut = flags.quotedPath;
}

bool CLogic::IsRegistered(const std::wstring& folder) const {
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, ctx_.config.regPath);
    return list.Find(folder) >= 0;
}

bool CLogic::init(ERunCode runCode, const std::wstring& argument) {
    if (!MakeDpiAware()) return false;
    if (!ctx_.wizard.Create(*ctx_.config.themeDoc, ctx_.config.themeFolder, this, GetModuleHandleW(nullptr)) ||
        !ctx_.wizard.FindControl("language"))
        return false;

    ctx_.commandArgument = argument;
    ctx_.runCode = runCode;
    switch (runCode) {
    case rcUninstallFrom:
    case rcUninstallGuest:
        ctx_.installFolder = argument;
        break;
    case rcDownload:
        ctx_.clientWindow = reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(argument.c_str(), nullptr, 10)));
        break;
    case rcSetLongName: {
        const size_t q1 = argument.find(L'"');
        const size_t q2 = q1 == std::wstring::npos ? q1 : argument.find(L'"', q1 + 1);
        const size_t q3 = q2 == std::wstring::npos ? q2 : argument.find(L'"', q2 + 1);
        if (q2 != std::wstring::npos) ctx_.installFolder = argument.substr(q1 + 1, q2 - q1 - 1);
        ctx_.commandArgument = q3 == std::wstring::npos ? std::wstring() : argument.substr(q3);
        break;
    }
    default:
        break;
    }

    ctx_.debugMode = ReadDebugMode(ctx_.config.regPath);
    ctx_.settings = ReadInitSettings(ctx_.config.root(), ctx_.automatic, ctx_.os.info().dwMajorVersion, ctx_.os.info().dwMinorVersion);
    ctx_.theme = ReadThemeSettings(ctx_.config.themeDoc->RootElement());
    ctx_.updatePath = ChooseUpdatePath(ReadSlotValue(*FindSlotInfo("UPDATE_PATH")), ctx_.settings);
    if (ctx_.settings.automaticInstall && !ctx_.settings.promoUrl.empty()) OpenPromotion(ctx_.settings.promoUrl);

    const std::wstring exe = ModulePath(nullptr);
    const std::wstring exeName = exe.substr(exe.rfind(L'\\') + 1);
    if (_wcsicmp(exeName.c_str(), L"Launcher.exe") == 0 && renaming_.RunMigrations()) {
        Exit();
        return true;
    }
    runtime_.CheckRuntime();

    const std::wstring markerFolder = runCode == rcSetLongName ? ctx_.installFolder : OwnFolder();
    const RunModeChoice choice =
        ChooseRunMode(runCode, exeName, FileExists(markerFolder + L"\\guest.dat"), IsRegistered(OwnFolder()));
    LogLine(choice.logLine);
    ctx_.runMode = choice.mode;
    ctx_.portable = choice.portable;
    if (ctx_.runMode == rmUnknown) return false;
    ctx_.flowKind = (ctx_.runMode == rmUpdate || ctx_.runMode == rmSetLongName) ? 1 : ctx_.runMode == rmUninstaller ? 2 : 0;
    if (!choice.keepFast) ctx_.fast = false;

    if (!ctx_.languages.Choose(ctx_.runMode, ctx_.config.regPath, ReadSlotValue(*FindSlotInfo("LANGUAGE")))) return false;

    networkNeeded_ = ctx_.runMode != rmUninstaller && ctx_.runMode != rmSetLongName;
    if (!networkNeeded_) return true;
    return server_.PrepareClientUpdateData();
}

// Only web addresses are opened: the "open" verb would also start a
// program or a document named here.
void CLogic::OpenPromotion(const std::string& url) {
    const std::wstring address = Utf8ToWide(url);
    if (_wcsnicmp(address.c_str(), L"http://", 7) != 0 && _wcsnicmp(address.c_str(), L"https://", 8) != 0) {
        LogLine(L"Promotion address ignored (not a web address): " + address);
        return;
    }
    const bool opened = reinterpret_cast<INT_PTR>(
                            ShellExecuteW(nullptr, L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32;
    LogLine(L"Open promotion address " + address + (opened ? L" .. OK" : L" .. fail"));
}
