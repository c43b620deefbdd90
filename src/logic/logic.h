#pragma once
// The launcher logic object: owns the configuration, the window and the
// workers, and drives the flow chosen by the run mode. Lives on the UI
// thread; created once by the entry point.
//
// The flows themselves (init, run, uninit) are not built yet: init
// reports failure, which the entry point shows as "pLogic->init".

#include "startup/command_line.h"
#include "startup/languages.h"
#include "startup/launcher_config.h"
#include "startup/log_impl.h"

#include <string>

class CLogic {
public:
    ~CLogic();
    // Opens the embedded package, loads the configuration, chooses the
    // theme and loads the string tables.
    bool preinit();
    // True when the configuration enables the launcher log.
    bool launcherLogEnabled() const { return logLauncher_; }

    bool init(ERunCode runCode, const std::wstring& argument);
    bool run();
    void uninit();

    void setLog(CLogImplW* log) { log_ = log; }
    void setQuotedPath(const std::wstring& path) { quotedPath_ = path; }
    void setFast(bool fast) { fast_ = fast; }
    void setRunByClientCritical(bool on) { runByClientCritical_ = on; }
    void setRestart(bool on) { restart_ = on; }
    void setAutomatic(bool on) { automatic_ = on; }
    void setRunByClient(bool on) { runByClient_ = on; }

    const LauncherConfig& config() const { return config_; }
    CLanguages& languages() { return languages_; }

private:
    LauncherConfig config_;
    CLanguages languages_;
    CLogImplW* log_ = nullptr;
    bool logLauncher_ = false;
    std::wstring quotedPath_;
    bool fast_ = false;
    bool runByClientCritical_ = false;
    bool restart_ = false;
    bool automatic_ = false;
    bool runByClient_ = false;
};
