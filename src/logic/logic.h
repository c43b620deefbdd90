#pragma once
// The launcher logic object: owns the configuration, the wizard window and
// (as their Parts arrive) the workers, and drives the flow chosen by the
// run mode. Created once by the entry point; every operation runs on the
// UI thread. Workers reach it only through private messages to the window,
// which forwards them to OnUserMessage.
//
// Steps whose subject belongs to parts of the system not built yet (network,
// client coordination, self-replacement, installation,
// shortcuts, the assistant, the skinned pages) go through the entry points
// in logic_pending.cpp, which log what they skip and report a neutral
// result.

#include "gui/gdiplus_session.h"
#include "logic/stand_in_wizard.h"
#include "startup/command_line.h"
#include "startup/languages.h"
#include "startup/launcher_config.h"
#include "startup/log_impl.h"
#include "system/os_version.h"
#include "update/url_selector.h"

#include <shellapi.h>

#include <memory>

class CClientLaunchThread;
#include <string>

// Private window messages of the main window.
enum eWindowsMessage : UINT {
    eWindowsMessage_LauncherAssistantInitResult = 0x914,
    eWindowsMessage_LauncherAssistantWorkResult = 0x915,
    eWindowsMessage_LauncherAssistantNoRights = 0x916,
    eWindowsMessage_Exit = 0x9DC,
    eWindowsMessage_ClientStartFailed = 0x9DD,
    eWindowsMessage_ClientTask = 0xA0E,
    eWindowsMessage_UnpackFinished = 0xA40,
    eWindowsMessage_CheckFinished = 0xA41,
    eWindowsMessage_UninstallFinished = 0xA42,
    eWindowsMessage_UnpackProgress = 0xA43,
    eWindowsMessage_UninstallProgress = 0xA44,
    eWindowsMessage_ClientPipeReady = 0xA72,
    eWindowsMessage_ClientAnswer = 0xA73,
    eWindowsMessage_DownloadProgress = 0xA9A,
    eWindowsMessage_DownloadComplete = 0xA9B,
    eWindowsMessage_IconTrayCallbackMessage = 0xAA5,
    eWindowsMessage_SilentDownloadOff = 0xAAE,
    eWindowsMessage_SilentDownloadQuery = 0xAAF,
    eWindowsMessage_Activate = 0xAB0,
};

enum ESilentDownloadMode { sdmRun = 0, sdmFull = 1, sdmExit = 2 };

class CLogic : public IWizardOwner {
public:
    CLogic();
    ~CLogic() override;

    // Opens the embedded package, loads the configuration, chooses the
    // theme and loads the string tables.
    bool preinit();
    bool launcherLogEnabled() const { return config_.logLauncher; }

    // May throw CLauncherError with a configuration or theme defect.
    bool init(ERunCode runCode, const std::wstring& argument);
    bool run();
    void uninit();

    bool StartWork();
    void SetProgressStage(int stage);
    void Exit();

    LRESULT OnUserMessage(UINT message, WPARAM w, LPARAM l) override;
    void OnTimer(UINT_PTR id) override;
    void OnControl(int id) override;

    void setLog(CLogImplW* log) { log_ = log; }
    void setQuotedPath(const std::wstring& path) { quotedPath_ = path; }
    void setFast(bool fast) { fast_ = fast; }
    void setRunByClientCritical(bool on) { runByClientCritical_ = on; }
    void setRestart(bool on) { restart_ = on; }
    void setAutomatic(bool on) { automatic_ = on; }
    void setRunByClient(bool on) { runByClient_ = on; }

    const LauncherConfig& config() const { return config_; }
    CLanguages& languages() { return languages_; }
    ERunMode runMode() const { return runMode_; }
    int flowKind() const { return flowKind_; }
    bool closing() const { return closing_; }
    const CStandInWizard& wizard() const { return wizard_; }
    CStandInWizard& wizard() { return wizard_; }
    const std::wstring& installFolder() const { return installFolder_; }

private:
    void MainLoop();
    void CheckRequiredControls() const;
    void ShowError(int stringId);
    void ShowError(const std::wstring& text);
    // Percent of the assistant's or the uninstaller's work.
    void ShowWorkProgress(int percent);
    std::wstring OwnFolder() const;
    bool IsRegistered(const std::wstring& folder) const;
    void ChooseInstallFolder();
    void CheckRuntime();

    // Client update data (logic_cud.cpp).
    bool PrepareClientUpdateData();
    void CheckConfigStamp(const std::wstring& folder);
    void SaveClientUpdateData();

public:
    // What the client's command line is made of.
    struct ClientCommandParts {
        std::wstring installFolder;
        std::string clientCommand, serverUrl;
        std::wstring appIdArgument;
        std::string affiliateId, referrerId, promoCode, updatePath;
    };
    static std::wstring ClientCommandLine(const ClientCommandParts& parts);

private:
    // The game client (logic_client.cpp).
    HWND FindClientWindow();
    void FocusClientWindow(HWND window);
    bool FindAndFocusClientWindow();
    bool IsClientProcessRunning();
    void RunClient();
    void OnClientStartFailed();
    void OnExitRequest(WPARAM reason);
    void NotifyOtherInstances(int mode);
    void SetSilentDownload(bool on);
    // Other launcher instances (logic_instances.cpp).
    ESilentDownloadMode DecideSilentMode();
    void AnswerSilentDownload();
    void ShowSilentDownloadBalloon();

    // Tray icon, window visibility and error reports (logic_tray.cpp).
    NOTIFYICONDATAW TrayRecord(UINT flags) const;
    void ShowTrayIcon(bool show);
    void SetTrayIconTooltip();
    void ShowTrayBalloon(bool show);
    void ShowMainWindow(bool show);
    void OnTrayCallback(LPARAM event);
    void ShowTrayMenu();
    void OnTrayCommand(UINT command);
    void ShowFileErrorReport(const std::wstring& path, DWORD code);
    void ShowSystemErrorReport(const std::wstring& prefix, DWORD code);

    // Self-replacement (logic_restart.cpp).
    bool ReplaceLoader();
    bool RestartLauncher(const std::wstring& fileName);

    // Entry points of later parts (logic_pending.cpp).
    bool RunPendingLongNameAction();
    void InitTextControls();
    void SetApplicationIdentity();
    void ResumeFullUnpacking();
    bool RecordsWritable();
    bool StartUninstallerCopy();
    void SendLongNameToAssistant();
    bool StartNetwork();
    void HandleLaterMessage(const wchar_t* name, WPARAM w, LPARAM l);

    LauncherConfig config_;
    CLanguages languages_;
    InitSettings settings_;
    ThemeSettings theme_;
    COsVersion os_;
    CGdiPlusSession gdiplus_;
    CStandInWizard wizard_;
    CLogImplW* log_ = nullptr;

    ERunCode runCode_ = rcNone;
    std::wstring argument_;
    std::wstring commandArgument_;
    std::wstring quotedPath_;
    bool fast_ = false;
    bool runByClientCritical_ = false;
    bool restart_ = false;
    bool automatic_ = false;
    bool runByClient_ = false;

    ERunMode runMode_ = rmUnknown;
    ESilentDownloadMode silentMode_ = sdmFull;
    int flowKind_ = 0;
    bool portable_ = false;
    bool networkNeeded_ = false;
    bool networkReady_ = false;
    bool debugMode_ = false;
    bool runtimePresent_ = true;
    std::wstring installFolder_;
    HWND clientWindow_ = nullptr;
    std::string updatePath_;
    std::wstring cudPath_;
    CUrlSelector urlSelector_;
    std::string userAgent_;
    int termsButton_ = 0;
    int termsCheckbox_ = 0;

    std::unique_ptr<CClientLaunchThread> launchThread_;
    HWND foundClientWindow_ = nullptr;
    std::wstring appIdArgument_;
    bool clientFound_ = false;
    bool silentDownloadActive_ = false;
    bool silentDownloadPossible_ = true;
    bool runThreadStarted_ = false;
    bool clientStartFailed_ = false;
    bool silentDownloadDone_ = false;
    bool silentDownloadFinished_ = false;
    bool otherInstancesEnded_ = false;
    DWORD otherInstance_ = 0;
    bool otherInstanceBusy_ = false;

    bool trayIconShown_ = false;
    bool windowVisible_ = false;
    std::wstring progressText_;

    bool closing_ = false;
    bool stopLoop_ = false;
    bool acceptingTasks_ = false;
    bool paused_ = false;
    bool waitingForTasks_ = false;
};
