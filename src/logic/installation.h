#pragma once
// Where the client is installed and how: a standard installation is
// registered by the elevated assistant, a portable one ("guest") gets its
// marker file here. Both continue by copying the launcher into the folder,
// giving the window its taskbar identity and letting the check go on. Also
// the rights of an installed folder before an update, the per-user copies
// of Windows' file virtualization, and the add-on programs the user chose.
// Owned by CLogic; UI thread only.

#include "logic/logic_context.h"
#include "update/app_list.h"

#include <string>
#include <vector>

class CInstallation {
public:
    explicit CInstallation(LogicContext& ctx) : ctx_(ctx) {}

    // The wizard's Browse: the user picks the installation folder.
    void BrowseForFolder();
    // The wizard's Install.
    void StartInstallation();
    // The assistant registered the installation: the user's desktop
    // shortcuts, then the rest of the installation.
    void OnAssistantInstalled();
    void ContinueInstallation();
    // Before an update: true when it may go on now; false when it stopped,
    // or waits for the assistant to give the rights back (its answer
    // starts the work).
    bool CheckRightsBeforeUpdate();
    // Starts the add-on programs the user kept selected.
    void RunExternalApplications();
    // Removes the per-user copies Windows' file virtualization made of the
    // installation folder.
    void ClearVirtualStore();
    // The shortcuts applist.dat listed before this installation.
    const std::vector<AppListRecord>& oldShortcuts() const { return oldShortcuts_; }

private:
    // True when the flow goes on later (the assistant answers) or stopped
    // with an error shown.
    bool BeginInstall();
    bool PrepareGuestFolder(const std::wstring& folder);
    bool RecordsWritable();

    LogicContext& ctx_;
    std::vector<AppListRecord> oldShortcuts_;
};

// Whether a file can be made (and removed again) in `folder`.
bool WriteProbe(const std::wstring& folder);
