// Exit() and uninit().

#include "logic/logic.h"

namespace {

// Workers are asked to stop and then given this long before they are
// killed: a thread killed inside a file write leaves a torn file behind,
// which costs far more than a slower exit.
constexpr DWORD kThreadStopLimit = 5000;

}  // namespace

void CLogic::Exit() {
    ctx_.closing = true;
    uninstallation_.Cancel();
    tasks_.StopAccepting();
    assistant_.DeleteAssistantCopy();
    LogLine(L"PostQuitMessage(0)");
    PostQuitMessage(0);
    stopLoop_ = true;
    tray_.ShowTrayIcon(false);
}

void CLogic::uninit() {
    auto empty = [this] {
        if (ctx_.log) ctx_.log->WriteNewLines(1);
    };
    empty();
    LogLine(L"--- Start Uninit ---");
    empty();
    server_.SaveClientUpdateData();
    if (ctx_.runCode == rcDownload) {
        LogLine(L"Send finish to client");
        if (ctx_.clientWindow) PostMessageW(ctx_.clientWindow, eWindowsMessage_ClientAnswer, 0, 2);
    }
    if (ctx_.portable && ctx_.runMode == rmUninstaller) {
        LogLine(L"Stop uninstaller thread");
        uninstallation_.StopThread(kThreadStopLimit);
    } else {
        LogLine(L"Stop checker & unpaker threads");
        update_.StopWorkers(kThreadStopLimit);
    }
    client_.Stop(kThreadStopLimit);
    tasks_.Close();
    if (server_.ready()) server_.StopNetwork();
    empty();
    LogLine(L"--- Uninit finished ---");
    empty();
    ctx_.languages.Destroy();
    ctx_.wizard.Destroy();
}
