#pragma once
// The launcher's side of the assistant: one elevated copy of this
// executable per command, reached through a pipe; it answers with messages
// 0x914 ... 0x916. The copy in a folder of its own in the temporary
// folder, checked against this executable just before its start, the
// record it is sent, its answers, cancelling it and removing the copy and
// its folder when the launcher ends.
// UI thread only.

#include "logic/logic_context.h"
#include "startup/handle.h"
#include "system/assistant_records.h"
#include "system/named_pipe.h"
#include "update/app_list.h"

#include <string>
#include <vector>

class CAssistantLink {
public:
    explicit CAssistantLink(LogicContext& ctx) : ctx_(ctx) {}

    bool PrepareAssistantCopy();
    bool RunAssistant(uint32_t command);
    bool FillDataForAssistant();
    void SendDataToAssistant();
    bool CancelAssistant();
    void DeleteAssistantCopy();
    void OnAssistantInitResult(WPARAM w, LPARAM l);
    void OnAssistantWorkResult(WPARAM w, LPARAM l);
    // The shortcut changes of the manifest, sent with the next command.
    void SetProgramChanges(const std::vector<ProgramChange>& changes);
    // The shortcut records sent with the last command.
    const std::vector<LauncherAssistantIcon>& sentIcons() const { return assistantIcons_; }

    uint32_t command() const { return assistantCommand_; }
    const std::wstring& assistantPath() const { return assistantPath_; }
    const LauncherAssistantData& assistantData() const { return assistantData_; }

private:
    void AbandonAssistant();

    LogicContext& ctx_;
    std::wstring assistantFolder_;  // this run's folder for the copy
    std::wstring assistantPath_;
    CNamedPipe assistantPipe_;
    CHandle assistantProcess_;
    uint32_t assistantCommand_ = 0;
    LauncherAssistantData assistantData_;
    std::vector<LauncherAssistantIcon> assistantIcons_;
    std::vector<ProgramChange> programChanges_;
};
