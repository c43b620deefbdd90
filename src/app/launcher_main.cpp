// Process entry: scans the command line, serves the roles that need no
// logic object, then runs the logic object's preinit/init/run/uninit with
// the log, the uninstall mutex and the top-level error boxes around it.

#include "gui/skinned_wizard.h"
#include "logic/logic.h"
#include "startup/command_line.h"
#include "startup/handle.h"
#include "startup/launcher_error.h"
#include "startup/log_files.h"
#include "startup/log_impl.h"
#include "startup/module.h"
#include "startup/text.h"
#include "system/launcher_assistant.h"
#include "system/os_version.h"
#include "update/crc_list.h"

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include <cwchar>
#include <memory>
#include <new>

namespace {

const char kUninstallMutexName[] = "Global\\{420B48D2-AC21-4ec6-8295-BB0C8D8BD72C}";
const char kErrorCaption[] = "Installer Error";

void ShowError(const std::string& text) {
    MessageBoxA(nullptr, text.c_str(), kErrorCaption, MB_OK | MB_ICONERROR);
    LogLine(L"Installer Error: " + AnsiToWide(text));
}

// Libraries load from System32 only: the assistant runs elevated from the
// temporary folder, where anyone may have left a library of a system
// library's name. Systems without the call (Windows 7 before KB2533623)
// keep the search order minus the working folder.
void RestrictLibrarySearch() {
    using SetDefaultDllDirectoriesCall = BOOL(WINAPI*)(DWORD);
    const auto setDefault = reinterpret_cast<SetDefaultDllDirectoriesCall>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
    if (setDefault) setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32);
    SetDllDirectoryW(L"");
}

void ShowUnknownError() {
    MessageBoxW(nullptr, L"unknown", L"error", MB_OK | MB_ICONERROR);
    LogLine(L"Installer Error: unknown");
}

// preinit reports its failures by result; anything it throws (out of memory
// while unpacking the package) is a failed preinit, not a crash.
bool RunPreinit(CLogic& logic) {
    try {
        return logic.preinit();
    } catch (...) {
        return false;
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR commandTail, int) {
    RestrictLibrarySearch();
    const std::wstring tail = commandTail ? commandTail : L"";
    const CommandLineFlags flags = ParseCommandLine(tail);

    if (flags.runCode == rcCrc) {
        WriteCrcList();
        return 0;
    }
    if (flags.assistant) {
        RunAssistantRole(tail);
        return 0;
    }

    // The wizard outlives the logic object that drives it.
    const std::unique_ptr<IWizard> wizard = CreateWizard();
    std::unique_ptr<CLogic> logic(new (std::nothrow) CLogic(*wizard));
    if (!logic) {
        MessageBoxA(nullptr, "pLogic: create", kErrorCaption, MB_OK | MB_ICONERROR);
        return 1;
    }
    SetModuleInstance(instance);
    const bool preinitOk = RunPreinit(*logic);

    CLogImplW log;
    const std::wstring exePath = ModulePath(nullptr);
    if (preinitOk && logic->launcherLogEnabled()) {
        SYSTEMTIME now;
        GetLocalTime(&now);
        if (log.Open(ChooseLauncherLogPath(exePath, now))) {
            log.SetFlushEach(false);
            log.SetUtf8(true);
        }
    }
    COsVersion os;
    os.Detect();
    WriteStartupBanner(log, ReadFileVersion(exePath), os.name(), tail, RunCodeLogText(flags.runCode));

    CoInitialize(nullptr);
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_BAR_CLASSES | ICC_COOL_CLASSES};
    InitCommonControlsEx(&icc);

    logic->setLog(&log);
    g_pLog = &log;

    CHandle uninstallMutex;
    bool otherInstance = false;
    if (flags.runCode == rcUninstall) {
        uninstallMutex.Reset(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, kUninstallMutexName));
        otherInstance = uninstallMutex.IsValid();
    }

    if (!preinitOk) {
        ShowError("g_pSystem->preinit");
    } else if (otherInstance) {
        LogLine(L"other launcher instance detected, exiting");
    } else {
        const bool uninstallRole = flags.runCode == rcUninstall || flags.runCode == rcUninstallFrom ||
                                   flags.runCode == rcUninstallGuest;
        if (uninstallRole && !uninstallMutex.IsValid())
            uninstallMutex.Reset(CreateMutexA(nullptr, TRUE, kUninstallMutexName));

        logic->setFlags(flags);
        if (flags.fast) LogLine(L"Use fast update mode");

        bool runFailed = false;
        try {
            if (!logic->init(flags.runCode, flags.argument)) throw CLauncherFailure{1};
            LogLine(L"pLogic->init() succeed");
            if (!logic->run()) throw CLauncherFailure{2};
            LogLine(L"pLogic->run() succeed");
            logic->uninit();
            LogLine(L"pLogic->uninit() succeed");
        } catch (const CLauncherError& e) {
            ShowError(e.text);
        } catch (const CLauncherFailure& f) {
            runFailed = f.code == 2;
            if (!runFailed) ShowError("pLogic->init");
        } catch (...) {
            ShowUnknownError();
        }
        // Outside the handlers, so that a throwing uninit still reaches the
        // box and the shutdown below.
        if (runFailed) {
            try {
                logic->uninit();
            } catch (...) {
                LogLine(L"pLogic->uninit() failed");
            }
            ShowError("pLogic->run");
        }
    }

    if (uninstallMutex.IsValid()) ReleaseMutex(uninstallMutex.Get());
    uninstallMutex.Reset();
    logic.reset();
    CoUninitialize();
    LogLine(L"Launcher finished");
    g_pLog = nullptr;
    log.Close();
    return 0;
}
