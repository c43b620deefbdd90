#pragma once
// The update cycle: the licence text, the manifest, the integrity check and
// the decision after it (processStartDownload), the unpacker's results and
// the end step (processAfterDownload). Owns the two workers; the downloads
// collaborator shares their state. UI thread only; the workers report by
// messages that CLogic hands over here.

#include "logic/logic_context.h"
#include "update/checker_thread.h"
#include "update/download_queue.h"
#include "update/manifest.h"
#include "update/publisher_signature.h"
#include "update/unpacker_thread.h"

#include <string>
#include <vector>

// The workers and what the cycle and the downloads both use. The queue is
// shared with the checker thread under the checker's lock.
struct UpdateState {
    CCheckerThread checker;
    CUnpackerThread unpacker;
    DownloadQueue queue;
    LauncherInfo launcherInfo;
    bool newLauncherKnown = false;
    bool launcherUpdatePending = false;
    // The manifest was signed: every pack and the launcher must also match
    // its SHA-256.
    bool verifyHashes = false;
};

class CUpdateCycle {
public:
    explicit CUpdateCycle(LogicContext& ctx) : ctx_(ctx) {}

    UpdateState& state() { return state_; }
    bool HasTerms() const { return !termsText_.empty(); }

    void RequestLicence();
    void RequestManifest();
    void OnLicenseData(CBuffer& body);
    void OnUpdateXmlData(CBuffer& body);
    void OnSignatureData(CBuffer& body);
    void StartCheck();
    void OnCheckFinished(WPARAM w, LPARAM l);
    bool processStartDownload();
    void OnUnpackFinished(LPARAM result);
    void processAfterDownload();
    void ResumeFullUnpacking();
    // Stops both workers (uninit); stopping the unpacker writes the parts
    // still in memory, so the next run resumes them.
    void StopWorkers(DWORD limit);

private:
    // With publisher keys a manifest is taken only with a good signature
    // and well-formed hashes; anything else is refused like an unreadable
    // manifest (string 21, the next server).
    void AcceptManifest(const std::string& body, bool verified);
    void RefuseManifest(const std::wstring& reason);
    void ContinueAfterCheck();
    void StartUnpacker();
    void SaveUpdateXml();
    void RemoveStateFolder(const wchar_t* name);

    LogicContext& ctx_;
    UpdateState state_;
    std::string manifestText_;
    // From the configuration at the manifest request; empty: unsigned sets.
    std::vector<PublisherKey> publisherKeys_;
    // The manifest archive waiting for its signature.
    std::string unverifiedManifest_;
    std::string oldManifestText_;
    const CManifest* checkedManifest_ = nullptr;
    std::wstring termsText_;
    bool unpackFinishRequested_ = false;
};
