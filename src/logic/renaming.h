#pragma once
// Bringing an installation in line with the names of this launcher's
// product: the configured actions after an update (moving or deleting
// entries of the folder, renaming the folder itself), migrations from an
// earlier product's names at start-up, and the renaming run ("/setlongname")
// that has the assistant move the folder. The running launcher cannot move
// the folder it runs from, so a rename always ends it and continues in a
// temporary copy. Owned by CLogic; UI thread only.

#include "logic/logic_context.h"
#include "system/renaming_parameters.h"
#include "update/app_list.h"
#include "update/changes_list.h"
#include "update/configured_actions.h"

#include <string>
#include <vector>

class CRenaming {
public:
    explicit CRenaming(LogicContext& ctx) : ctx_(ctx) {}

    // After downloads and updates; `markOnly` on a fresh installation only
    // records the rename. True when the launcher must end: a renaming run
    // has taken over.
    bool ApplyActions(bool markOnly);
    // At start-up, for a launcher named "Launcher.exe": an installation
    // registered under an earlier product's names is renamed. True when
    // the launcher must end.
    bool RunMigrations();
    // The renaming run: the assistant moves the folder and its registration.
    void StartRenaming();
    // The assistant renamed the installation: the user's shortcuts, the
    // record of the action, and the launcher in the new folder.
    void FinishRenaming();

private:
    bool SetLongName(const SetLongNameAction& action, bool markOnly);
    void Rename(const RenameAction& action);
    void RefreshInstalledVersion();
    void CopyPreferences(const std::wstring& newShortName, const std::wstring& oldShortName);
    bool StartRenamingRun(const RenamingParameters& p);
    // The client's programs listed in applist.dat, as shortcuts to make.
    std::vector<ProgramChange> InstalledPrograms() const;

    LogicContext& ctx_;
};

// changes.dat of `folder`; a missing file is created empty.
CChangesList LoadChanges(const std::wstring& folder);
// Writes the list from the start of the file (which never shrinks).
bool SaveChanges(const std::wstring& folder, const CChangesList& changes);
