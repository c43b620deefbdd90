#include "logic/client_launch_thread.h"

#include "logic/logic.h"
#include "system/process_list.h"


CClientLaunchThread::CClientLaunchThread(std::wstring commandLine, HWND window, std::wstring clientPath, DWORD waitLimit)
    : CThread("client launch"),
      commandLine_(std::move(commandLine)),
      window_(window),
      clientPath_(std::move(clientPath)),
      waitLimit_(waitLimit) {}

CClientLaunchThread::~CClientLaunchThread() { Stop(INFINITE); }

void CClientLaunchThread::Run() {
    CHandle started(CreateEventA(nullptr, TRUE, FALSE, kStartEventName));
    if (!StartProcess(commandLine_)) {
        PostMessageW(window_, eWindowsMessage_ClientStartFailed, 0, 0);
        return;
    }
    if (started.IsValid() && WaitForSingleObject(started.Get(), waitLimit_) == WAIT_OBJECT_0) {
        PostMessageW(window_, eWindowsMessage_Exit, 0, 0);
        return;
    }
    TerminateProcessesWithModulePath(clientPath_);
    PostMessageW(window_, eWindowsMessage_ClientStartFailed, 0, 0);
}
