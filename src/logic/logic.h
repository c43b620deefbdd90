#pragma once
// The launcher logic object: its life cycle (preinit, init, run, uninit),
// the run mode, the main loop, and the dispatch of the main window's
// messages, timers and controls to the collaborators that own each flow:
//   CServerLink     transport, downloader, server URLs, retries
//   CUpdateCycle    manifest, check, unpack, the end step
//   CDownloads      the queued packs, pausing, progress
//   CClientLink     the game client and other launcher instances
//   CClientTasks    the client's download tasks ("/download")
//   CAssistantLink  the elevated assistant
//   CTray           tray icon, window visibility, error reports
//   CLanguageTexts  the language box and the texts that follow it
//   CWizardFlow     pages, the message box, choices, the buttons
//   CInstallation   standard and portable installations, rights
//   CUninstallation the temporary uninstaller, removing an installation
//   CUserShortcuts  the user's shortcuts, the taskbar identity
//   CRenaming       configured actions, migrations, renaming runs
//   CRuntimeUpdate  the C runtime the client needs, and its update
//   CSelfReplacement
// Created once by the entry point; every operation runs on the UI thread.
// Workers reach it only through private messages to the window, which
// forwards them to OnUserMessage.

#include "logic/assistant_link.h"
#include "logic/client_link.h"
#include "logic/client_tasks.h"
#include "logic/downloads.h"
#include "logic/installation.h"
#include "logic/language_texts.h"
#include "logic/logic_context.h"
#include "logic/renaming.h"
#include "logic/runtime_update.h"
#include "logic/self_replacement.h"
#include "logic/server_link.h"
#include "logic/tray.h"
#include "logic/uninstallation.h"
#include "logic/update_cycle.h"
#include "logic/user_shortcuts.h"
#include "logic/wizard_flow.h"
#include "startup/window_messages.h"

#include <string>

class CLogic : public IWizardOwner, private ILogicHost {
public:
    // `wizard` outlives the logic object; init creates its window.
    explicit CLogic(IWizard& wizard);
    ~CLogic() override;

    // Opens the embedded package, loads the configuration, chooses the
    // theme and loads the string tables.
    bool preinit();
    bool launcherLogEnabled() const { return ctx_.config.logLauncher; }
    void setLog(CLogImplW* log) { ctx_.log = log; }
    void setFlags(const CommandLineFlags& flags);

    // May throw CLauncherError with a configuration or theme defect.
    bool init(ERunCode runCode, const std::wstring& argument);
    bool run();
    void uninit();

    bool StartWork() override;
    void SetProgressStage(int stage) override;
    void Exit() override;

    LRESULT OnUserMessage(UINT message, WPARAM w, LPARAM l) override;
    void OnTimer(UINT_PTR id) override;
    void OnControl(int id) override;

    const LauncherConfig& config() const { return ctx_.config; }
    CLanguages& languages() { return ctx_.languages; }
    ERunMode runMode() const { return ctx_.runMode; }
    int flowKind() const { return ctx_.flowKind; }
    bool closing() const { return ctx_.closing; }
    const std::wstring& installFolder() const { return ctx_.installFolder; }
    CAssistantLink& assistant() { return assistant_; }
    CWizardFlow& flow() { return flow_; }
    CRuntimeUpdate& runtime() { return runtime_; }
    CServerLink& server() { return server_; }

private:
    void ShowError(int stringId) override;
    void ShowError(const std::wstring& text) override;
    void ShowWorkProgress(int percent) override;
    void MainLoop();
    void CheckRequiredControls() const;
    bool IsRegistered(const std::wstring& folder) const;
    void ChooseInstallFolder();
    void OpenPromotion(const std::string& url);

    LogicContext ctx_;
    CServerLink server_{ctx_};
    CUpdateCycle update_{ctx_};
    CDownloads downloads_{ctx_, update_.state()};
    CClientLink client_{ctx_};
    CClientTasks tasks_{ctx_};
    CAssistantLink assistant_{ctx_};
    CTray tray_{ctx_};
    CLanguageTexts texts_{ctx_};
    CSelfReplacement replacement_{ctx_};
    CInstallation installation_{ctx_};
    CUninstallation uninstallation_{ctx_};
    CRuntimeUpdate runtime_{ctx_};
    CRenaming renaming_{ctx_};
    CWizardFlow flow_{ctx_};
    CUserShortcuts shortcuts_{ctx_};
    bool networkNeeded_ = false;
    bool stopLoop_ = false;
};
