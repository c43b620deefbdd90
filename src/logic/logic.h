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

#include "logic/wizard.h"
#include "net/downloader.h"
#include "net/net_transport.h"
#include "startup/command_line.h"
#include "startup/languages.h"
#include "startup/launcher_config.h"
#include "startup/log_impl.h"
#include "system/assistant_records.h"
#include "system/named_pipe.h"
#include "system/os_version.h"
#include "update/checker_thread.h"
#include "update/download_queue.h"
#include "update/manifest.h"
#include "update/unpacker_thread.h"
#include "update/url_selector.h"

#include <shellapi.h>

#include <memory>

class CClientLaunchThread;
#include <string>
#include <vector>

// Private window messages of the main window.
enum eWindowsMessage : UINT {
    eWindowsMessage_LauncherAssistantInitResult = kAssistantInitResultMessage,
    eWindowsMessage_LauncherAssistantWorkResult = kAssistantWorkResultMessage,
    eWindowsMessage_LauncherAssistantNoRights = kAssistantNoRightsMessage,
    eWindowsMessage_Exit = 0x9DC,
    eWindowsMessage_ClientStartFailed = 0x9DD,
    eWindowsMessage_ClientTask = 0xA0E,
    eWindowsMessage_UnpackFinished = CUnpackerThread::kFinishedMessage,
    eWindowsMessage_CheckFinished = CCheckerThread::kFinishedMessage,
    eWindowsMessage_UninstallFinished = 0xA42,
    eWindowsMessage_UnpackProgress = CUnpackerThread::kProgressMessage,
    eWindowsMessage_UninstallProgress = 0xA44,
    eWindowsMessage_ClientPipeReady = 0xA72,
    eWindowsMessage_ClientAnswer = 0xA73,
    eWindowsMessage_DownloadProgress = CDownloader::kProgressMessage,
    eWindowsMessage_DownloadComplete = CDownloader::kCompleteMessage,
    eWindowsMessage_IconTrayCallbackMessage = 0xAA5,
    eWindowsMessage_SilentDownloadOff = 0xAAE,
    eWindowsMessage_SilentDownloadQuery = 0xAAF,
    eWindowsMessage_Activate = 0xAB0,
};

enum ESilentDownloadMode { sdmRun = 0, sdmFull = 1, sdmExit = 2 };

class CLogic : public IWizardOwner, public IDownloaderNotify {
public:
    // `wizard` outlives the logic object; init creates its window.
    explicit CLogic(IWizard& wizard);
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

    // The downloader's results: the update cycle (logic_update.cpp,
    // logic_download.cpp, logic_retry.cpp).
    void OnCudData(CBuffer& body) override;
    void OnKbProgress(uint32_t received, int32_t size) override;
    void OnKbData(CBuffer& body) override;
    void OnLicenseData(CBuffer& body) override;
    void OnUpdateXmlData(CBuffer& body) override;
    void OnUpdateData(CBuffer& body, bool partial) override;
    void OnUpdateFileDone() override;
    void OnUpdateProgress(uint32_t bytes, bool add) override;
    void OnKind6Complete() override;
    void OnNetError(int errorKind, uint32_t errorCode, uint32_t httpStatus, const std::string& text) override;

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
    const IWizard& wizard() const { return wizard_; }
    IWizard& wizard() { return wizard_; }
    const std::wstring& installFolder() const { return installFolder_; }

    // The launcher assistant (logic_assistant.cpp): one elevated copy of
    // this executable per command, reached through a pipe; it answers with
    // messages 0x914 ... 0x916.
    bool PrepareAssistantCopy();
    bool RunAssistant(uint32_t command);
    bool FillDataForAssistant();
    void SendDataToAssistant();
    bool CancelAssistant();
    void DeleteAssistantCopy();
    const std::wstring& assistantPath() const { return assistantPath_; }
    const LauncherAssistantData& assistantData() const { return assistantData_; }

private:
    void OnAssistantInitResult(WPARAM w, LPARAM l);
    void OnAssistantWorkResult(WPARAM w, LPARAM l);
    void AbandonAssistant();
    // Results of assistant commands whose follow-up belongs to later parts
    // (logic_pending.cpp).
    std::wstring CurrentServerUrl() const;
    void AfterAssistantInstall();
    void AfterRuntimeInstalled();
    void FinishAssistantUninstall(bool success);
    void UpdateUserDesktopShortcuts();
    void ContinueDownloadAfterIcons();
    void FinishLongName();

    std::wstring assistantPath_;
    CNamedPipe assistantPipe_;
    CHandle assistantProcess_;
    uint32_t assistantCommand_ = 0;
    LauncherAssistantData assistantData_;
    std::vector<LauncherAssistantIcon> assistantIcons_;

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
    // Pausing stops asking for parts; resuming asks for the front item again.
    void TogglePause();
    void ShowFileErrorReport(const std::wstring& path, DWORD code);
    void ShowSystemErrorReport(const std::wstring& prefix, DWORD code);

    // Self-replacement (logic_restart.cpp).
    bool ReplaceLoader();
    bool RestartLauncher(const std::wstring& fileName);

    // The update cycle (logic_update.cpp): manifest, check, the decision
    // after it and the end step.
    void RequestManifest();
    void RequestLicence();
    void StartCheck();
    void OnCheckFinished(WPARAM w, LPARAM l);
    void ContinueAfterCheck();
    bool processStartDownload();
    void processAfterDownload();
    void OnUnpackFinished(LPARAM result);
    void StartUnpacker();
    void SaveUpdateXml();
    void RemoveStateFolder(const wchar_t* name);
    void ResumeFullUnpacking();
    // Installation steps the wizard's buttons start (logic_buttons.cpp).
    void StartInstallation();
    void ContinueInstallation();
    void PressLaunch();
    void OnMessageButton(int id);

    // Downloading (logic_download.cpp).
    bool PrepareFileDownloads();
    bool QueueLauncherDownload();
    void StartNextDownload();
    void RequestFrontItem();
    void OnLauncherReceived(const DownloadQueueItem& item, const std::wstring& path);
    void ClearQueue();
    void RefreshProgress();
    bool EnoughDiskSpace();
    std::wstring ItemPath(const DownloadQueueItem& item) const;

    // Network errors, retries and server switching (logic_retry.cpp).
    void CountAttempt(uint32_t status, uint32_t code);
    void ArmRetryTimer(UINT_PTR id);
    void RetryDownload(UINT_PTR id);
    void SelectNextDataUrl();
    void SwitchServer(int failureKind);
    void ShowServerFailure();
    void RestartServerInfo();

    // Download tasks of the client in "/download" mode (logic_tasks.cpp).
    void OpenClientPipe();
    void OnClientTask(WPARAM id, LPARAM bytes);
    void FinishClientTasks();

    // The language box and the texts that follow the language (logic_language.cpp).
    void OnLanguageBoxChange();
    void SetLanguage(int recordIndex, bool quiet);
    void SaveLanguage();
    void InitTextControls();

    // Entry points of later parts (logic_pending.cpp).
    bool RunPendingLongNameAction();
    void SetApplicationIdentity();
    void RunConfiguredActions(bool& exitRequested);
    void RunExternalApplications();
    bool RecordsWritable();
    bool StartUninstallerCopy();
    void SendLongNameToAssistant();
    // Transport and downloader (logic_network.cpp).
    bool StartNetwork();
    void StopNetwork();
    void HandleLaterMessage(const wchar_t* name, WPARAM w, LPARAM l);

    LauncherConfig config_;
    CLanguages languages_;
    InitSettings settings_;
    ThemeSettings theme_;
    COsVersion os_;
    IWizard& wizard_;
    CLogImplW* log_ = nullptr;
    // The transport outlives the downloader, its client.
    std::unique_ptr<NetEx::CNetTransport> transport_;
    CDownloader downloader_;

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

    // Update cycle state. The queue is shared with the checker under its lock.
    CCheckerThread checker_;
    CUnpackerThread unpacker_;
    DownloadQueue queue_;
    std::string manifestText_;
    std::string oldManifestText_;
    const CManifest* checkedManifest_ = nullptr;
    int attempts_ = 0;
    std::wstring lastErrorText_;
    std::wstring termsText_;
    LauncherInfo launcherInfo_;
    bool newLauncherKnown_ = false;
    bool launcherUpdatePending_ = false;
    // Progress counters; 64-bit so that installations beyond 4 GiB count right.
    uint64_t bytesToDownload_ = 0;
    uint64_t bytesDone_ = 0;
    uint64_t bytesDoneBefore_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t unpackedKb_ = 0;
    uint32_t partCount_ = 0;
    int messageAction_ = 0;
    int failureKind_ = 0;
    bool unpackFinishRequested_ = false;
    std::string lastRequest_;
    int dataUrlCounter_ = 0;
    struct ClientTask {
        WPARAM id = 0;
        std::wstring text;
        std::vector<std::wstring> items;
    };
    std::vector<ClientTask> clientTasks_;
    size_t checkedTasks_ = 0;  // tasks the running check covers
    CAddPkg addPkg_;
    CNamedPipe clientPipe_;

    bool closing_ = false;
    bool stopLoop_ = false;
    bool acceptingTasks_ = false;
    bool paused_ = false;
    bool waitingForTasks_ = false;
};
