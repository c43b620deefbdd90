#pragma once
// What the logic object and its collaborators share: the facts of this run
// (start-up flags, configuration, run mode, installation folder), the
// wizard, and the wiring between the collaborators. CLogic owns the
// context and every collaborator; each collaborator keeps the state of its
// own flow and reaches the others only through their public operations.
// Everything here lives on the UI thread.

#include "logic/wizard.h"
#include "startup/command_line.h"
#include "startup/languages.h"
#include "startup/launcher_config.h"
#include "startup/log_impl.h"
#include "system/os_version.h"

#include <string>

enum ESilentDownloadMode { sdmRun = 0, sdmFull = 1, sdmExit = 2 };

class CAssistantLink;
class CClientLink;
class CClientTasks;
class CDownloads;
class CInstallation;
class CLanguageTexts;
class CRenaming;
class CRuntimeUpdate;
class CSelfReplacement;
class CServerLink;
class CTray;
class CUninstallation;
class CUpdateCycle;
class CUserShortcuts;
class CWizardFlow;

// What the collaborators ask of the logic object itself.
class ILogicHost {
public:
    virtual bool StartWork() = 0;
    virtual void SetProgressStage(int stage) = 0;
    virtual void Exit() = 0;
    virtual void ShowError(int stringId) = 0;
    virtual void ShowError(const std::wstring& text) = 0;
    // Percent of the assistant's or the uninstaller's work.
    virtual void ShowWorkProgress(int percent) = 0;
    // Acts as if the control had been pressed.
    virtual void OnControl(int id) = 0;

protected:
    ~ILogicHost() = default;
};

struct LogicContext {
    explicit LogicContext(IWizard& w) : wizard(w) {}

    IWizard& wizard;
    CLogImplW* log = nullptr;

    // Start-up input (command line).
    ERunCode runCode = rcNone;
    std::wstring commandArgument;
    // "/uninstall", "/ug": the installation's desktop shortcut, quotes kept.
    std::wstring uninstallShortcut;
    bool fast = false;
    bool restart = false;
    bool automatic = false;
    bool runByClient = false;
    bool runByClientCritical = false;

    // Configuration, read by preinit and init.
    LauncherConfig config;
    CLanguages languages;
    InitSettings settings;
    ThemeSettings theme;
    COsVersion os;
    std::string updatePath;
    bool debugMode = false;

    // What this run does.
    ERunMode runMode = rmUnknown;
    ESilentDownloadMode silentMode = sdmFull;
    int flowKind = 0;  // 0 installation pages, 1 update or long name, 2 uninstaller
    bool portable = false;
    bool runtimePresent = true;
    std::wstring installFolder;
    HWND clientWindow = nullptr;  // the client that started a "/download" run
    // " -appID \"<identity>\"" for the client once the window has its identity.
    std::wstring appIdArgument;
    // Set by Exit: late worker results are not acted on.
    bool closing = false;

    // The collaborators, wired by CLogic.
    ILogicHost* host = nullptr;
    CServerLink* server = nullptr;
    CUpdateCycle* update = nullptr;
    CDownloads* downloads = nullptr;
    CClientLink* client = nullptr;
    CClientTasks* tasks = nullptr;
    CAssistantLink* assistant = nullptr;
    CTray* tray = nullptr;
    CLanguageTexts* texts = nullptr;
    CSelfReplacement* replacement = nullptr;
    CInstallation* installation = nullptr;
    CUninstallation* uninstallation = nullptr;
    CRuntimeUpdate* runtime = nullptr;
    CRenaming* renaming = nullptr;
    CWizardFlow* flow = nullptr;
    CUserShortcuts* shortcuts = nullptr;
};

// The folder of the running executable, without a trailing backslash.
std::wstring OwnFolder();
