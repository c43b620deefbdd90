#pragma once
// "/download" runs: the running client hands download tasks (names of
// additional packages) to this launcher over its pipe and gets an answer
// per task. UI thread only.

#include "logic/logic_context.h"
#include "system/named_pipe.h"
#include "update/add_pkg.h"

#include <set>
#include <string>
#include <vector>

class CClientTasks {
public:
    explicit CClientTasks(LogicContext& ctx) : ctx_(ctx) {}

    void OpenClientPipe();
    // eWindowsMessage_ClientTask: a task of `bytes` bytes waits in the pipe;
    // 0 bytes: check what is waiting, or end when nothing is.
    void OnClientTask(WPARAM id, LPARAM bytes);
    // The packages of every waiting task go into `packages`, and these
    // tasks count as checked; false when no task waits.
    bool TakeForCheck(std::set<std::wstring>& packages);
    // Answers the checked tasks after their download and waits for more.
    void FinishClientTasks();
    // The progress stage "Waiting Client Data" is shown.
    void SetWaiting() { waitingForTasks_ = true; }
    void StopAccepting() { acceptingTasks_ = false; }
    void Close();

private:
    struct ClientTask {
        WPARAM id = 0;
        std::wstring text;
        std::vector<std::wstring> items;
    };

    LogicContext& ctx_;
    std::vector<ClientTask> clientTasks_;
    size_t checkedTasks_ = 0;  // tasks the running check covers
    CAddPkg addPkg_;
    CNamedPipe clientPipe_;
    bool acceptingTasks_ = false;
    bool waitingForTasks_ = false;
};
