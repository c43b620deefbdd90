// Exit() and uninit().

#include "logic.h"

void CLogic::Exit() {
    closing_ = true;
    acceptingTasks_ = false;
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
    // The worker threads are created by the update and uninstall flows;
    // until those exist there is nothing to stop beyond the log lines.
    LogLine(portable_ && runMode_ == rmUninstaller ? L"Stop uninstaller thread" : L"Stop checker & unpaker threads");
    if (networkReady_) {
        LogPart(L"Downloader uninit .. ");
        LogLine(L"OK");
        LogPart(L"Net transport shutdown .. ");
        LogLine(L"OK");
        networkReady_ = false;
    }
    empty();
    LogLine(L"--- Uninit finished ---");
    empty();
    languages_.Destroy();
    wizard_.Destroy();
}
