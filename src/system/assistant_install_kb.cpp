// The assistant's installation of the C runtime update, which the launcher
// saved beside the assistant's copy in the temporary folder.

#include "startup/module.h"
#include "system/launcher_assistant.h"
#include "system/update_package.h"

namespace {

// The update installer may take long on a slow system.
constexpr DWORD kInstallLimit = 600000;

}  // namespace

void CLauncherAssistant::InstallKBCommand() {
    const std::wstring own = ModulePath(nullptr);
    const std::wstring package = own.substr(0, own.rfind(L'\\')) + L"\\KB2999226.msu";
    const int32_t result = InstallUpdatePackage(package, kInstallLimit, [this] {
        if (cancelled_) return false;
        ReportProgress(5);
        return true;
    });
    if (result) setLastAssistantError(result);
}
