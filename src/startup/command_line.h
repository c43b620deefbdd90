#pragma once
// Scanning the command-line tail into a run code and flags. Portable so
// the host build can test it; called once on the UI thread at start-up.

#include <string>

enum ERunCode : int {
    rcNone = 0,
    rcUninstall = 1,
    rcUninstallFrom = 2,
    rcUninstallGuest = 3,
    rcDownload = 4,
    rcCrc = 5,
    rcSetLongName = 6,
};

enum ERunMode : int {
    rmUnknown = -1,
    rmInstall = 0,
    rmUpdate = 1,
    rmUninstaller = 2,
    rmDownload = 3,
    rmSetLongName = 4,
};

struct CommandLineFlags {
    ERunCode runCode = rcNone;
    bool assistant = false;
    bool fast = false;
    bool runByClientCritical = false;
    bool runByClient = false;
    bool restart = false;
    bool automatic = false;
    std::wstring quotedPath;  // "/uninstall", "/ug": desktop shortcut path, quotes kept
    std::wstring argument;    // text after "/setlongname", "/download", "/ug", "/u"
};

// Case-sensitive substring tests in a fixed order; never fails.
CommandLineFlags ParseCommandLine(const std::wstring& tail);

// Text logged after "g_rc = ".
const wchar_t* RunCodeLogText(ERunCode code);

// Name logged after "Launcher run mode: ".
const wchar_t* RunModeName(ERunMode mode);
