// The command whose work belongs to a part of the system that is not in
// this build: the runtime update. It logs that it is not available and
// reports a failure code the launcher turns into an honest error; it never
// claims success for work it did not do.

#include "system/launcher_assistant.h"

void CLauncherAssistant::InstallKBCommand() {
    LogLine(L"InstallKB: not available in this build");
    setLastAssistantError(eAssistantCntStartKB);
}
