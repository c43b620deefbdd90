// Commands whose work belongs to parts of the system that are not in this
// build: runtime update and renaming. Each one logs that it is not available and reports a
// failure code the launcher turns into an honest error; none claims
// success for work it did not do.

#include "system/launcher_assistant.h"

void CLauncherAssistant::InstallKBCommand() {
    LogLine(L"InstallKB: not available in this build");
    setLastAssistantError(eAssistantCntStartKB);
}

void CLauncherAssistant::SetLongNameCommand() {
    LogLine(L"SetLongName: not available in this build");
    setLastAssistantError(eAssistantCntCreateDir);
}
