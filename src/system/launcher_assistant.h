#pragma once
// The launcher assistant: the elevated copy of the launcher started with
// "/assistant <hwnd>". It opens the launcher's pipe, reads one command with
// its record and shortcut records, does the work and reports through
// window messages to the launcher's window, then ends.
//
// Two threads: the process's main thread runs everything here; the cancel
// watcher (started once the command's data is read) only reads the pipe
// and raises the cancelled flag, which long operations test between steps.

#include "startup/log_impl.h"
#include "system/assistant_progress.h"
#include "system/assistant_records.h"
#include "system/install_directory_list.h"
#include "system/named_pipe.h"
#include "system/process_list.h"
#include "system/renaming_parameters.h"
#include "system/rights_descriptor.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class CLauncherAssistant {
public:
    CLauncherAssistant();
    CLauncherAssistant(const CLauncherAssistant&) = delete;
    CLauncherAssistant& operator=(const CLauncherAssistant&) = delete;
    ~CLauncherAssistant();

    // The whole life of the assistant: its log next to its own file, the
    // pipe named after its own file, one command. False when the pipe could
    // not be opened or is served by another process than the launcher's
    // window.
    bool RunAssistant(HWND launcher);

    // Logs the code with GetLastError() and makes it the command's result.
    void setLastAssistantError(int32_t code);
    // Gives `folder` (recursively) and HKLM\regPath and its "Install" key
    // the all-users descriptor; stops the walk when cancelled.
    bool GrantRights(const std::wstring& folder, const std::wstring& regPath, bool countSteps);
    // Ends every process whose executable is `path` (case ignored).
    bool KillProcesses(const std::wstring& path);
    // The same among `ids`; false when they could not be listed (nothing).
    bool KillListedProcesses(const std::optional<std::vector<DWORD>>& ids, const std::wstring& path);
    // Sends a progress message unless it comes too soon after the last one.
    void ReportProgress(int percent);
    // One step of a counted operation, after SetStepTotal.
    void Step();
    void SetStepTotal(int total) { progress_.SetStepTotal(total); }

private:
    class CCancelWatcher;

    // Reads the command, the record and the shortcut records; false (with
    // the error set) when they cannot be read or the command is unknown.
    bool ReadCommand(uint32_t& command);
    void Execute(uint32_t command);
    void SendWorkResult(uint32_t command, int32_t result);
    void GrantTree(const std::wstring& folder, bool countSteps);
    void StopWatcher();

    // A standard installation: its slot, rights, uninstall entry and
    // all-users shortcuts (assistant_install.cpp). A `fresh` installation
    // gets a free slot; otherwise `index` is the slot it keeps, -1 when it
    // has none yet.
    void InstallCommand();
    bool InstallClient(int index, bool fresh);
    bool WriteUninstallEntry(int slot);
    bool RegisterSlot(CInstallDirectoryList& list, const std::wstring& folder, int slot);
    void IconUpdateCommand();
    void UpdateAllUsersShortcuts();
    // Renaming an installation (assistant_set_long_name.cpp).
    void SetLongNameCommand();
    bool SetLongName();
    bool MoveInstallationFolder(const std::wstring& from, const std::wstring& to);
    void MoveRegistration(const std::wstring& current, const RenamingParameters& p);
    // The removal of a standard installation (assistant_uninstall.cpp).
    void UninstallCommand();
    // The C runtime update (assistant_install_kb.cpp).
    void InstallKBCommand();

    CNamedPipe pipe_;
    LauncherAssistantData data_;
    std::vector<LauncherAssistantIcon> icons_;
    // Files of this name are spared when an installation tree is deleted.
    std::wstring skipName_;
    CLogImplW log_;
    HWND hwnd_ = nullptr;
    CAssistantProgress progress_;
    CRightsDescriptor securityDescriptor_;
    int32_t lastError_ = 0;
    std::atomic<bool> cancelled_{false};
    std::unique_ptr<CCancelWatcher> watcher_;
};

// The "/assistant" role of the entry point, for the command-line tail:
// with exactly two arguments the second is the launcher's window; an
// administrator runs the assistant, anyone else tells the launcher that
// the assistant has no rights.
void RunAssistantRole(const std::wstring& commandTail);
