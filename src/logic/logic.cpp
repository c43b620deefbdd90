#include "logic.h"

#include "startup/module_resources.h"
#include "startup/package_store.h"

namespace {
constexpr int kPackageId = 130;
}

CLogic::~CLogic() { languages_.Destroy(); }

bool CLogic::preinit() {
    const uint8_t* bytes = nullptr;
    DWORD size = 0;
    if (!ReadModuleResource(L"ZIP", kPackageId, bytes, size) || !PackageStore().OpenPackage(bytes, size))
        return false;
    if (!LoadLauncherConfig(PackageStore(), config_, languages_)) {
        languages_.Destroy();
        return false;
    }
    logLauncher_ = config_.logLauncher;
    return true;
}

bool CLogic::init(ERunCode, const std::wstring&) { return false; }

bool CLogic::run() { return false; }

void CLogic::uninit() {}
