#pragma once
// The game client and the other launcher instances: finding and focusing
// the client's window, starting the client with its command line (through
// the short-lived launch thread), the exit coordination once it is up or
// failed, background (silent) downloading with the client running, and the
// questions between two launcher instances. UI thread only.

#include "logic/client_launch_thread.h"
#include "logic/logic_context.h"

#include <memory>
#include <string>

class CClientLink {
public:
    explicit CClientLink(LogicContext& ctx) : ctx_(ctx) {}

    // What the client's command line is made of. The program's path is
    // quoted, so a folder with spaces cannot start a stray program.
    struct ClientCommandParts {
        std::wstring installFolder;
        std::string clientProgram, clientArguments, serverUrl;
        std::wstring appIdArgument;  // the taskbar identity, when one is set
        std::string affiliateId, referrerId, promoCode, updatePath;
    };
    static std::wstring ClientCommandLine(const ClientCommandParts& parts);

    HWND FindClientWindow();
    void FocusClientWindow(HWND window);
    bool FindAndFocusClientWindow();
    bool IsClientProcessRunning();
    // The launch button: the new launcher when one is waiting, else the client.
    void PressLaunch();
    // Returns at once, starting nothing, while an earlier start still waits
    // for its client.
    void RunClient();
    void OnClientStartFailed();
    // eWindowsMessage_Exit with its reason (0 client up, 1 tray menu, 2 update flow).
    void OnExitRequest(WPARAM reason);
    // 0: tell the other instances of this executable to stop downloading
    // silently; otherwise activate and end the installation's launchers.
    // False when one of the installation's launchers could not be ended.
    bool NotifyOtherInstances(int mode);
    void SetSilentDownload(bool on);
    bool silentDownloadActive() const { return silentDownloadActive_; }
    ESilentDownloadMode DecideSilentMode();
    void AnswerSilentDownload();
    // Waits for the launch thread (uninit).
    void Stop(DWORD limit);

private:
    LogicContext& ctx_;
    std::unique_ptr<CClientLaunchThread> launchThread_;
    bool clientFound_ = false;
    bool silentDownloadActive_ = false;
    bool runThreadStarted_ = false;
    bool clientStartFailed_ = false;
    bool silentDownloadDone_ = false;
    bool silentDownloadFinished_ = false;
    DWORD otherInstance_ = 0;
    bool otherInstanceBusy_ = false;
};
