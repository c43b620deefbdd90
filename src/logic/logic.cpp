#include "logic.h"

#include "logic/client_launch_thread.h"

#include "startup/launcher_error.h"
#include "startup/folders.h"
#include "startup/module.h"
#include "startup/module_resources.h"
#include "startup/package_store.h"
#include "startup/run_mode.h"
#include "startup/text.h"
#include "system/install_directory_list.h"

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

CLogic::CLogic(IWizard& wizard) : wizard_(wizard) { os_.Detect(); }

CLogic::~CLogic() {
    wizard_.Destroy();
    languages_.Destroy();
}

bool CLogic::preinit() {
    const uint8_t* bytes = nullptr;
    DWORD size = 0;
    if (!ReadModuleResource(L"ZIP", kPackageId, bytes, size) || !PackageStore().OpenPackage(bytes, size))
        return false;
    if (!LoadLauncherConfig(PackageStore(), config_, languages_)) {
        languages_.Destroy();
        return false;
    }
    return true;
}

std::wstring CLogic::OwnFolder() const {
    const std::wstring exe = ModulePath(nullptr);
    return exe.substr(0, exe.rfind(L'\\'));
}

bool CLogic::IsRegistered(const std::wstring& folder) const {
    CInstallDirectoryList list;
    list.Open(HKEY_LOCAL_MACHINE, config_.regPath);
    return list.Find(folder) >= 0;
}

bool CLogic::init(ERunCode runCode, const std::wstring& argument) {
    if (!MakeDpiAware()) return false;
    if (!wizard_.Create(*config_.themeDoc, this, GetModuleHandleW(nullptr)) ||
        !wizard_.FindControl("language"))
        return false;

    commandArgument_ = argument;
    argument_ = argument;
    runCode_ = runCode;
    switch (runCode) {
    case rcUninstallFrom:
    case rcUninstallGuest:
        installFolder_ = argument;
        break;
    case rcDownload:
        clientWindow_ = reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(argument.c_str(), nullptr, 10)));
        break;
    case rcSetLongName: {
        const size_t q1 = argument.find(L'"');
        const size_t q2 = q1 == std::wstring::npos ? q1 : argument.find(L'"', q1 + 1);
        const size_t q3 = q2 == std::wstring::npos ? q2 : argument.find(L'"', q2 + 1);
        if (q2 != std::wstring::npos) installFolder_ = argument.substr(q1 + 1, q2 - q1 - 1);
        commandArgument_ = q3 == std::wstring::npos ? std::wstring() : argument.substr(q3);
        break;
    }
    default:
        break;
    }

    debugMode_ = ReadDebugMode(config_.regPath);
    settings_ = ReadInitSettings(config_.root(), automatic_, os_.info().dwMajorVersion, os_.info().dwMinorVersion);
    theme_ = ReadThemeSettings(config_.themeDoc->RootElement());
    updatePath_ = ChooseUpdatePath(ReadSlotValue(*FindSlotInfo("UPDATE_PATH")), settings_);

    const std::wstring exe = ModulePath(nullptr);
    const std::wstring exeName = exe.substr(exe.rfind(L'\\') + 1);
    if (_wcsicmp(exeName.c_str(), L"Launcher.exe") == 0 && RunPendingLongNameAction()) {
        Exit();
        return true;
    }
    CheckRuntime();

    const std::wstring markerFolder = runCode == rcSetLongName ? installFolder_ : OwnFolder();
    const RunModeChoice choice =
        ChooseRunMode(runCode, exeName, FileExists(markerFolder + L"\\guest.dat"), IsRegistered(OwnFolder()));
    LogLine(choice.logLine);
    runMode_ = choice.mode;
    portable_ = choice.portable;
    if (runMode_ == rmUnknown) return false;
    flowKind_ = (runMode_ == rmUpdate || runMode_ == rmSetLongName) ? 1 : runMode_ == rmUninstaller ? 2 : 0;
    if (!choice.keepFast) fast_ = false;

    if (!languages_.Choose(runMode_, config_.regPath, ReadSlotValue(*FindSlotInfo("LANGUAGE")))) return false;

    networkNeeded_ = runMode_ != rmUninstaller && runMode_ != rmSetLongName;
    if (!networkNeeded_) return true;
    return PrepareClientUpdateData();
}

void CLogic::CheckRuntime() {
    if (os_.info().dwMajorVersion >= 10) {
        runtimePresent_ = true;
        return;
    }
    LogLine(L"Checking for UCRT...");
    int failures = 0;
    for (const wchar_t* name : {L"api-ms-win-crt-runtime-l1-1-0.dll", L"api-ms-win-crt-heap-l1-1-0.dll",
                                L"api-ms-win-crt-string-l1-1-0.dll", L"api-ms-win-core-memory-l1-1-0.dll"}) {
        HMODULE module = LoadLibraryW(name);
        if (module) FreeLibrary(module);
        else ++failures;
    }
    runtimePresent_ = failures == 0;
    LogLine(runtimePresent_ ? L"UCRT is present, OK" : L"UCRT is not present!");
}
