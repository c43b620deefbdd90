// Exit() and uninit().

#include "logic.h"

#include "logic/client_launch_thread.h"

namespace {

constexpr DWORD kThreadStopLimit = 5000;

}  // namespace

void CLogic::Exit() {
    closing_ = true;
    acceptingTasks_ = false;
    DeleteAssistantCopy();
    LogLine(L"PostQuitMessage(0)");
    PostQuitMessage(0);
    stopLoop_ = true;
    ShowTrayIcon(false);
}

void CLogic::uninit() {
    auto empty = [this] {
        if (log_) log_->WriteNewLines(1);
    };
    empty();
    LogLine(L"--- Start Uninit ---");
    empty();
    SaveClientUpdateData();
    if (runCode_ == rcDownload) {
        LogLine(L"Send finish to client");
        if (clientWindow_) PostMessageW(clientWindow_, eWindowsMessage_ClientAnswer, 0, 2);
    }
    LogLine(portable_ && runMode_ == rmUninstaller ? L"Stop uninstaller thread" : L"Stop checker & unpaker threads");
    checker_.Stop(kThreadStopLimit);
    // Stopping writes the parts still in memory, so the next run resumes them.
    unpacker_.Stop(kThreadStopLimit);
    if (launchThread_) launchThread_->Stop(kThreadStopLimit);
    clientPipe_.Close();
    if (networkReady_) StopNetwork();
    empty();
    LogLine(L"--- Uninit finished ---");
    empty();
    languages_.Destroy();
    wizard_.Destroy();
}
