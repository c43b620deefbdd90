// Commands whose work belongs to parts of the system that are not in this
// build: installation, runtime update, uninstallation, all-users shortcuts
// and renaming. Each one logs that it is not available and reports a
// failure code the launcher turns into an honest error; none claims
// success for work it did not do.

#include "system/launcher_assistant.h"

void CLauncherAssistant::InstallCommand() {
    ReportProgress(0);
    LogLine(L"Install: not available in this build");
    setLastAssistantError(eAssistantCntCreateDir);
    ReportProgress(100);
    SendWorkResult(eLauncherCmd_Install, lastError_);
}

void CLauncherAssistant::InstallKBCommand() {
    LogLine(L"InstallKB: not available in this build");
    setLastAssistantError(eAssistantCntStartKB);
}

void CLauncherAssistant::UninstallCommand() {
    LogLine(L"Uninstall: not available in this build");
    setLastAssistantError(eAssistantCntDelInstDirFromReg);
}

void CLauncherAssistant::IconUpdateCommand() {
    LogLine(L"IconUpdate: not available in this build");
    setLastAssistantError(eAssistantCntCreateDir);
}

void CLauncherAssistant::SetLongNameCommand() {
    LogLine(L"SetLongName: not available in this build");
    setLastAssistantError(eAssistantCntCreateDir);
}
