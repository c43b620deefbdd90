#pragma once
// Choice of the run mode from the run code, the executable's file name and
// the installation folder's state. Portable; the logic object gathers the
// inputs (guest.dat, registered folders) and logs the result.

#include "startup/command_line.h"

#include <string>

struct RunModeChoice {
    ERunMode mode = rmUnknown;
    bool portable = false;    // the installation counts as portable
    bool keepFast = false;    // the fast flag survives only in rmUpdate
    // "Launcher run mode: " line, e.g. L"Launcher run mode:   Portable, rmUpdate".
    std::wstring logLine;
};

// `portableMarker`: guest.dat exists in the installation folder (for
// rcSetLongName the folder of the argument, otherwise the launcher's own).
// `registered`: the launcher's folder is a recorded installation folder.
RunModeChoice ChooseRunMode(ERunCode code, const std::wstring& exeFileName, bool portableMarker, bool registered);
