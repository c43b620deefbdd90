#pragma once
// The launcher logic object: owns the configuration, the window and the
// workers, and drives the flow chosen by the run mode. Lives on the UI
// thread; created once by the entry point.
//
// Until the embedded package reader exists, preinit cannot load the
// configuration and reports failure, so the entry point ends with the
// "g_pSystem->preinit" box.

#include "startup/command_line.h"
#include "startup/log_impl.h"

#include <string>

class CLogic {
public:
    // Loads the embedded configuration, theme and string tables.
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

private:
    CLogImplW* log_ = nullptr;
    bool logLauncher_ = false;
    std::wstring quotedPath_;
    bool fast_ = false;
    bool runByClientCritical_ = false;
    bool restart_ = false;
    bool automatic_ = false;
    bool runByClient_ = false;
};
