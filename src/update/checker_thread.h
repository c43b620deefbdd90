#pragma once
// The integrity checker: on its own thread it parses the new and the old
// manifest, tests whether the launcher must be replaced, compares the
// installation's files with the manifest, chooses the packs to download,
// fills the logic's download queue and removes damaged and obsolete files
// when asked to. It reports kFinishedMessage to the logic's
// window: 2 when both manifests are parsed (then it waits for Continue),
// and finally 0 (queue built), 1 (the launcher must be replaced first) or
// 3 (failure). wParam points to the checker's parsed manifest (null when it
// did not parse); the checker keeps it until the next Configure.
//
// The logic thread calls Configure, Start, Continue, Stop and, after the
// result, the readers and the program-list operations. The continue
// event, the download queue and the program list are guarded by the
// checker's lock; the stop flag is atomic, so the file walks ask it often
// without taking the lock. The parsed tables are written by the thread and
// read by the logic only after the result message.

#include "startup/handle.h"
#include "startup/thread.h"
#include "startup/window_messages.h"
#include "update/add_pkg.h"
#include "update/app_list.h"
#include "startup/critical_section.h"
#include "update/download_choice.h"
#include "update/download_queue.h"
#include "update/manifest.h"

#include <windows.h>

#include <atomic>
#include <map>
#include <set>
#include <string>
#include <vector>

// lParam of kFinishedMessage.
enum ECheckResult : LPARAM {
    crDone = 0,
    crLauncherUpdate = 1,
    crServerInfoReady = 2,
    crFailed = 3,
};

struct CheckerSettings {
    std::wstring installFolder;  // no trailing backslash
    std::wstring launcherPath;   // always kept by the cleanup
    std::string newManifest;
    std::string oldManifest;
    HWND window = nullptr;
    bool fastCompare = false;
    bool launcherOnly = false;
    bool useAddPackages = false;
    std::set<std::wstring> extraAddPackages;  // asked for by the client, not yet in addpkg.dat
    bool cleanup = false;
    std::set<std::wstring> selectedAddOns;  // EXEC texts of chosen "ext" add-ons
    int platform = 2;                       // 1 on 32-bit, 2 on 64-bit Windows
    std::string language;
    DownloadQueue* queue = nullptr;         // the logic's, shared under Lock()
};

class CCheckerThread : public CThread, public CAddPkg {
public:
    // Posted to the configured window: wParam the parsed manifest (owned by
    // the receiver), lParam the result.
    static constexpr UINT kFinishedMessage = eWindowsMessage_CheckFinished;
    CCheckerThread();
    ~CCheckerThread() override;

    // Before each start; clears every table of the previous run.
    void Configure(const CheckerSettings& settings);
    bool Start() override;
    // Sets the stop flag and the continue event, then waits up to `limit` ms.
    bool Stop(DWORD limit) override;
    // Lets the thread go on after result 2.
    void Continue();
    // The add-ons the user chose, before Continue (the thread reads them
    // only after it).
    void SetSelectedAddOns(const std::set<std::wstring>& exec);
    // The lock that guards the download queue.
    CCriticalSection& Lock() { return lock_; }

    // The launcher test; also records the launcher-update flag.
    bool NeedLauncherUpdate();
    // May the installed client start without this update?
    bool CanRun();
    // The "/crc" run mode.
    static bool WriteCrcFile();

    // Program list operations (logic thread, after the result).
    bool ReadAppList(const std::wstring& folder, std::vector<AppListRecord>& list);
    bool FindOrAddApp(const std::wstring& name, const std::wstring& exec, bool queryOnly);
    bool WriteAppList(bool internalOnly);
    void DeleteAppList();
    bool GetShortcutChanges(std::vector<ProgramChange>& out);
    bool GetNewAddOns(std::vector<ExtAddOn>& out);

    const CManifest& Manifest() const { return manifest_; }
    const std::map<std::wstring, OldFileRecord>& OldFiles() const { return oldFiles_; }
    bool CanRunResult() const { return canRun_; }
    const std::wstring& RunBlocker() const { return runBlocker_; }
    const std::vector<NeededFile>& NeededFiles() const { return needed_; }
    const std::vector<std::wstring>& NeededPacks() const { return neededPacks_; }
    bool LauncherUpdate() const { return launcherUpdate_; }
    bool ManifestChanged() const { return manifestChanged_; }
    const std::vector<AppListRecord>& AppList() const { return appList_.records; }

private:
    void Run() override;
    bool Stopped() const { return stopped_; }
    void Post(ECheckResult result, bool withManifest);
    // False when stopped.
    bool CheckFiles();
    void BuildQueue();
    // Removes files that differ from `table` and files it does not list.
    void Cleanup(const std::map<std::wstring, std::pair<uint32_t, uint64_t>>& table);
    void CleanFolder(const std::wstring& folder, const std::wstring& relative,
                     const std::map<std::wstring, std::pair<uint32_t, uint64_t>>& table);
    bool Kept(const std::wstring& relative, const std::wstring& name) const;
    ManifestOptions Options();

    CCriticalSection lock_;
    CheckerSettings settings_;
    std::atomic<bool> stopped_{false};
    CHandle continueEvent_;
    bool fastCompare_ = false;  // off when the old manifest did not parse

    CManifest manifest_;
    std::map<std::wstring, OldFileRecord> oldFiles_;
    bool canRun_ = false;
    std::wstring runBlocker_;
    std::vector<NeededFile> needed_;
    std::vector<std::wstring> neededPacks_;
    bool launcherUpdate_ = false;
    bool manifestChanged_ = false;
    CAppList appList_;
};
