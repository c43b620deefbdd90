#include "run_mode.h"

#include <cwctype>

namespace {

bool SameNoCase(const std::wstring& a, const wchar_t* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i)
        if (std::towlower(a[i]) != std::towlower(b[i])) return false;
    return i == a.size() && !b[i];
}

}  // namespace

RunModeChoice ChooseRunMode(ERunCode code, const std::wstring& exeFileName, bool portableMarker, bool registered) {
    RunModeChoice c;
    const bool launcherName = SameNoCase(exeFileName, L"Launcher.exe");
    switch (code) {
    case rcSetLongName:
        c.mode = rmSetLongName;
        c.portable = portableMarker;
        break;
    case rcDownload:
        c.portable = launcherName && portableMarker;
        c.mode = launcherName && (portableMarker || registered) ? rmDownload : rmUnknown;
        break;
    default:
        // Only the launcher itself (or its temporary update copy) honours guest.dat.
        c.portable = portableMarker && (launcherName || SameNoCase(exeFileName, L"Launcher.tmp.exe"));
        if (code == rcUninstallGuest) c.portable = true;
        if (code == rcUninstall || code == rcUninstallFrom || code == rcUninstallGuest)
            c.mode = rmUninstaller;
        else
            c.mode = (registered || c.portable) ? rmUpdate : rmInstall;
        break;
    }
    c.keepFast = c.mode == rmUpdate;
    c.logLine = L"Launcher run mode: ";
    if (c.portable && code != rcSetLongName) c.logLine += L"  Portable, ";
    c.logLine += RunModeName(c.mode);
    return c;
}
