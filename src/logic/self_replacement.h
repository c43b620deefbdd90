#pragma once
// The launcher replacing itself: the temporary copy "Launcher.tmp.exe"
// overwrites "Launcher.exe" and starts it; the regular file removes the
// temporary copy; any run can restart the launcher of the installation.
// UI thread only.

#include "logic/logic_context.h"

#include <string>

class CSelfReplacement {
public:
    explicit CSelfReplacement(LogicContext& ctx) : ctx_(ctx) {}

    // False when this run is the temporary copy: it has started the new
    // launcher, or shown why it could not.
    bool ReplaceLoader();
    bool RestartLauncher(const std::wstring& fileName);

private:
    LogicContext& ctx_;
};
