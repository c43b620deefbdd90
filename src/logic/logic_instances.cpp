// Two launcher instances of the same executable: the new one asks the older
// one over the launcher_silent pipe whether it downloads in the background
// and decides whether to run, take over or leave.

#include "logic.h"

#include "startup/module.h"
#include "system/named_pipe.h"
#include "system/process_list.h"

namespace {

std::wstring SilentPipeName(DWORD processId) { return L"\\\\.\\pipe\\launcher_silent_" + std::to_wstring(processId); }

}  // namespace

ESilentDownloadMode CLogic::DecideSilentMode() {
    const std::vector<DWORD> others = ProcessesWithModulePath(ModulePath(nullptr), GetCurrentProcessId());
    if (!others.empty()) {
        otherInstance_ = others.front();
        otherInstanceBusy_ = true;
        LogLine(L"Searching for launcher windows...");
        for (HWND window : ProcessTopLevelWindows(otherInstance_)) {
            // Only the main window answers. The other instance's helper
            // windows (input method, GDI+) belong to threads that may not
            // pump messages, and each would hold the query for its limit.
            wchar_t className[256] = {};
            GetClassNameW(window, className, 256);
            if (wcscmp(className, kMainWindowClass) != 0) continue;
            CNamedPipe pipe;
            if (!pipe.Create(SilentPipeName(otherInstance_))) {
                LogLine(L"OnEnumSilentDownloadLauncherWindow: CreatePipe .. fail");
                continue;
            }
            DWORD_PTR result = 0;
            SendMessageTimeoutW(window, eWindowsMessage_SilentDownloadQuery, 0, 0, SMTO_BLOCK | SMTO_ABORTIFHUNG, 5000,
                                &result);
            // The answer is written while the query is handled; a window that
            // ignored it leaves the pipe unconnected, and reading would wait.
            unsigned char answer = 0;
            DWORD waiting = 0;
            if (PeekNamedPipe(pipe.Handle(), nullptr, 0, nullptr, &waiting, nullptr) && waiting &&
                pipe.Read(&answer, 1)) {
                otherInstanceBusy_ = answer == 0;
                break;
            }
        }
    }
    ESilentDownloadMode mode = sdmExit;
    if (runMode_ == rmUninstaller || restart_ || others.empty())
        mode = sdmFull;
    else if (others.size() == 1 && !otherInstanceBusy_ && settings_.silentDownload)
        mode = sdmRun;
    LogLine(mode == sdmRun ? L"SilentDownloadMode == sdmRun"
                           : mode == sdmFull ? L"SilentDownloadMode == sdmFull" : L"SilentDownloadMode == sdmExit");
    return mode;
}

void CLogic::AnswerSilentDownload() {
    LogLine(L"AnswerSilentDownload()");
    CNamedPipe pipe;
    if (!pipe.Open(SilentPipeName(GetCurrentProcessId()))) {
        LogLine(L"AnswerSilentDownload() : OpenPipe .. fail");
        return;
    }
    const unsigned char answer = silentDownloadActive_ ? 1 : 0;
    if (!pipe.Write(&answer, 1)) LogLine(L"AnswerSilentDownload() : SendPipe .. fail");
}
