#pragma once
// The shortcuts in the user's own folders (desktop, Start menu, Programs)
// for the launcher and the client's programs, and the taskbar identity the
// launcher's window shares with the client. The all-users shortcuts of a
// standard installation are the assistant's. Owned by CLogic; UI thread.

#include "logic/logic_context.h"
#include "system/assistant_records.h"
#include "update/app_list.h"

#include <vector>

class CUserShortcuts {
public:
    explicit CUserShortcuts(LogicContext& ctx) : ctx_(ctx) {}

    // After the assistant registered a standard installation: a desktop
    // shortcut for every record it was sent.
    void CreateDesktopShortcutsAfterInstall(const std::vector<LauncherAssistantIcon>& sent);
    // The manifest's shortcut changes on the desktop (and, for a portable
    // installation, in the Start and Programs menus too).
    void UpdateUserShortcuts(bool portable, const std::vector<ProgramChange>& changes);
    // A new portable installation: the first of 100 numbered names that no
    // shortcut uses yet, for the launcher, its uninstaller and `changes`.
    void CreatePortableShortcuts(const std::vector<ProgramChange>& changes);
    // The window's application identity, also handed to the client.
    void SetTaskbarIdentity();

private:
    LogicContext& ctx_;
};
