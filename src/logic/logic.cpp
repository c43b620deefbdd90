#include "logic.h"

bool CLogic::preinit() {
    // Reading the embedded package (configuration, theme, string tables)
    // is not built yet, so no flow can start.
    return false;
}

bool CLogic::init(ERunCode, const std::wstring&) { return false; }

bool CLogic::run() { return false; }

void CLogic::uninit() {}
