#pragma once
// The Universal C Runtime, which the game client needs on Windows before
// 10: whether it is there, the question to the player, and the update
// (KB2999226) downloaded from Microsoft and installed by the assistant.
// Owned by CLogic; UI thread only (the downloader reports here on it).

#include "logic/logic_context.h"
#include "startup/buffer.h"

#include <cstdint>
#include <string>

class CRuntimeUpdate {
public:
    explicit CRuntimeUpdate(LogicContext& ctx) : ctx_(ctx) {}

    // At start-up: probes the runtime's libraries and picks the update
    // for this system when they are missing.
    void CheckRuntime();
    // The same for the given system, with `loads` telling whether a
    // library of the runtime loads.
    using LibraryProbe = bool (*)(const wchar_t* name);
    void CheckRuntime(const OSVERSIONINFOEXW& system, bool is64Bit, LibraryProbe loads);
    // The update's address for this system; empty when there is none.
    const std::string& packageUrl() const { return kbUrl_; }
    // Before any work: asks whether to download the update (or, with
    // none for this system, points to the help page).
    void AskForRuntimeUpdate();
    // The player said Yes and the network is up: the update page and the
    // download from `url` (the package address of this system).
    void StartDownload(const std::string& url);
    void OnKbProgress(uint32_t received, int32_t size);
    void OnKbData(CBuffer& body);
    // The player went on without the update, or it was installed: the
    // ordinary start. False when it could not go on.
    bool ResumeAfterRuntimeUpdate();
    // The assistant's answer to the install command.
    void OnAssistantResult(int32_t result);

private:
    int ProgressLabel() const;
    int ProgressBar() const;
    void DownloadFailed(const wchar_t* why);

    LogicContext& ctx_;
    std::string kbUrl_;
    bool refused_ = false;  // the download was given up; late parts are ignored
    int32_t announced_ = 0; // the size the server gave, when it gave one
};
