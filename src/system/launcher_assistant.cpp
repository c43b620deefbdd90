#include "system/launcher_assistant.h"

#include "startup/module.h"
#include "startup/thread.h"
#include "system/admin_token.h"

#include <shellapi.h>

#include <cwchar>

// Reads 4-byte values from the pipe while the command runs and raises the
// flag on the cancel code. It never blocks in a read: it waits for data to
// be there, so stopping it (an event) is immediate and the main thread can
// close the pipe without racing a pending read.
class CLauncherAssistant::CCancelWatcher : public CThread {
public:
    CCancelWatcher(HANDLE pipe, std::atomic<bool>& cancelled)
        : CThread("Assistant cancel watcher"), pipe_(pipe), cancelled_(cancelled),
          stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~CCancelWatcher() override { Finish(); }

    bool Begin() { return stop_.IsValid() && Start(); }
    void Finish() {
        if (stop_.IsValid()) SetEvent(stop_.Get());
        Stop(2000);
    }

    void Run() override {
        while (WaitForSingleObject(stop_.Get(), 20) == WAIT_TIMEOUT) {
            DWORD available = 0;
            // A broken pipe means the launcher is gone: nobody can cancel any more.
            if (!PeekNamedPipe(pipe_, nullptr, 0, nullptr, &available, nullptr)) return;
            while (available >= 4) {
                uint8_t bytes[4];
                DWORD read = 0;
                if (!ReadFile(pipe_, bytes, 4, &read, nullptr) || read != 4) return;
                available -= 4;
                const uint32_t value = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
                if (value == eLauncherCmd_Cancel) cancelled_ = true;
            }
        }
    }

private:
    HANDLE pipe_;
    std::atomic<bool>& cancelled_;
    CHandle stop_;
};

CLauncherAssistant::CLauncherAssistant() = default;

CLauncherAssistant::~CLauncherAssistant() { StopWatcher(); }

void CLauncherAssistant::StopWatcher() { watcher_.reset(); }

void CLauncherAssistant::setLastAssistantError(int32_t code) {
    LogFormat(L"setLastAssistantError: error = %d, lastError = %d", int(code), int(GetLastError()));
    lastError_ = code;
}

void CLauncherAssistant::ReportProgress(int percent) {
    if (!progress_.Admit(percent, GetTickCount())) return;
    SendNotifyMessageW(hwnd_, kAssistantWorkResultMessage, eLauncherCmd_Progress, percent);
}

void CLauncherAssistant::Step() {
    const int percent = progress_.Step();
    if (percent >= 0) ReportProgress(percent);
}

void CLauncherAssistant::SendWorkResult(uint32_t command, int32_t result) {
    SendNotifyMessageW(hwnd_, kAssistantWorkResultMessage, command, result);
}

bool CLauncherAssistant::RunAssistant(HWND launcher) {
    hwnd_ = launcher;
    const std::wstring self = ModulePath(nullptr);
    if (log_.Open(self + L".log")) {
        log_.SetFlushEach(false);
        log_.SetUtf8(true);
    }
    log_.WriteTitle(L"launcherAssistant started", true);
    g_pLog = &log_;

    const std::wstring name = AssistantPipeName(self);
    LogPart(L"OpenPipe '" + name + L"' - ");
    const bool opened = pipe_.Open(name);
    const DWORD openError = GetLastError();
    LogLine(opened ? L"ok" : L"fail");
    if (!opened) {
        SendNotifyMessageW(hwnd_, kAssistantInitResultMessage, openError, eAssistantCntOpenPipe);
        g_pLog = nullptr;
        log_.Close();
        return false;
    }
    // Whoever made a pipe of this name first would hand the elevated
    // assistant its work: only the launcher that owns the window may.
    ULONG server = 0;
    DWORD launcherProcess = 0;
    GetWindowThreadProcessId(hwnd_, &launcherProcess);
    if (!GetNamedPipeServerProcessId(pipe_.Handle(), &server) || server == 0 || server != launcherProcess) {
        LogFormat(L"The pipe's server %lu is not the launcher %lu", server, launcherProcess);
        pipe_.Close();
        SendNotifyMessageW(hwnd_, kAssistantInitResultMessage, ERROR_ACCESS_DENIED, eAssistantCntOpenPipe);
        g_pLog = nullptr;
        log_.Close();
        return false;
    }
    SendNotifyMessageW(hwnd_, kAssistantInitResultMessage, GetCurrentProcessId(), 0);

    uint32_t command = 0;
    if (ReadCommand(command)) {
        watcher_ = std::make_unique<CCancelWatcher>(pipe_.Handle(), cancelled_);
        if (!watcher_->Begin()) watcher_.reset();
        skipName_ = AssistantText(data_.chLauncherName);
        Execute(command);
    } else {
        SendWorkResult(command, lastError_);
    }

    StopWatcher();
    pipe_.Close();
    LogLine(L"Pipe closed");
    g_pLog = nullptr;
    log_.Close();
    return true;
}

bool CLauncherAssistant::ReadCommand(uint32_t& command) {
    uint8_t bytes[4] = {};
    if (!pipe_.Read(bytes, 4)) {
        setLastAssistantError(eAssistantCntReadPipe);
        return false;
    }
    command = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | uint32_t(bytes[3]) << 24;
    LogFormat(L"Command: %u", command);
    if (!IsValidLauncherCmd(command)) {
        setLastAssistantError(eAssistantUnknownPipeCmd);
        return false;
    }
    if (command == eLauncherCmd_InstallKB) return true;

    std::vector<uint8_t> record(kAssistantDataSize);
    if (!pipe_.Read(record.data(), record.size())) {
        setLastAssistantError(eAssistantCntReadPipe);
        return false;
    }
    data_ = DecodeAssistantData(record.data());
    // Records are taken one at a time as they arrive, so a count the
    // launcher never fills costs no memory up front.
    icons_.clear();
    uint8_t icon[kAssistantIconSize];
    for (uint32_t i = 0; i < data_.iconCount; ++i) {
        if (!pipe_.Read(icon, sizeof icon)) {
            icons_.clear();
            setLastAssistantError(eAssistantCntReadPipe);
            return false;
        }
        icons_.push_back(DecodeAssistantIcon(icon));
    }
    LogFormat(L"Data read: %u shortcut record(s)", data_.iconCount);
    return true;
}

void CLauncherAssistant::Execute(uint32_t command) {
    switch (command) {
    case eLauncherCmd_Install:
        InstallCommand();
        return;  // sends its result itself, before its own last steps
    case eLauncherCmd_InstallKB:
        ReportProgress(0);
        InstallKBCommand();
        ReportProgress(100);
        break;
    case eLauncherCmd_Uninstall:
        UninstallCommand();
        break;
    case eLauncherCmd_GetRights:
        GrantRights(AssistantText(data_.chInstallFolder), AssistantText(data_.chRegPath), false);
        break;
    case eLauncherCmd_IconUpdate:
        ReportProgress(50);
        IconUpdateCommand();
        ReportProgress(100);
        break;
    case eLauncherCmd_KillProcess:
        if (!KillProcesses(AssistantText(data_.chTemp))) setLastAssistantError(eAssistantCntKillProcess);
        break;
    case eLauncherCmd_SetLongName:
        SetLongNameCommand();
        break;
    default:  // progress and cancel codes carry no work and get no answer
        return;
    }
    SendWorkResult(command, lastError_);
}

void RunAssistantRole(const std::wstring& commandTail) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(commandTail.c_str(), &argc);
    if (!argv) return;
    if (argc == 2) {
        const HWND launcher = reinterpret_cast<HWND>(static_cast<uintptr_t>(wcstoull(argv[1], nullptr, 10)));
        if (IsAdministrator()) {
            CLauncherAssistant assistant;
            assistant.RunAssistant(launcher);
        } else {
            SendNotifyMessageW(launcher, kAssistantNoRightsMessage, 0, 0);
        }
    }
    LocalFree(argv);
}
