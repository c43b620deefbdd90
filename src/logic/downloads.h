#pragma once
// Downloading the queued packs: preparing them from what tmp\ already
// holds, requesting them part by part, handing complete files to the
// unpacker, the new launcher's download, pausing, and the progress
// display. UI thread only; shares the update cycle's workers and queue.

#include "logic/logic_context.h"
#include "logic/update_cycle.h"

#include <cstdint>
#include <string>

class CDownloads {
public:
    CDownloads(LogicContext& ctx, UpdateState& state) : ctx_(ctx), state_(state) {}

    // Takes the checker's queue, hands over what tmp\ holds complete; true
    // when something went to the unpacker.
    bool PrepareFileDownloads();
    // Queues the new launcher; true when it is already complete in tmp\.
    bool QueueLauncherDownload();
    void ClearQueue();
    void StartNextDownload();
    void RequestFrontItem();
    // A part arrives in pieces, each appended to the item's file at once,
    // and ends with the rest of its bytes.
    void OnUpdatePiece(CBuffer& piece);
    void OnUpdateData(CBuffer& body, bool partial);
    void OnUpdateFileDone();
    void OnUpdateProgress(uint32_t bytes, bool add);
    void OnUnpackProgress(uint64_t bytes);
    void RefreshProgress();
    bool EnoughDiskSpace();
    // Pausing stops asking for parts; resuming asks for the front item again.
    void TogglePause();
    bool paused() const { return paused_; }

private:
    void OnLauncherReceived(const DownloadQueueItem& item, const std::wstring& path);
    // The size and checksum test of a downloaded launcher and, in a signed
    // set, its SHA-256.
    bool LauncherAcceptable(const DownloadQueueItem& item, const std::wstring& path);
    // In a signed set, whether the bytes held for `path` have the item's
    // SHA-256 (logged when not); always true otherwise.
    bool HashMatches(const DownloadQueueItem& item, const std::wstring& path) const;
    std::wstring ItemPath(const DownloadQueueItem& item) const;
    // Opens the file of `path` in tmp\ through the unpacker: the bytes it
    // holds, and their CRC-32 in `crc`.
    uint64_t OpenPart(const std::wstring& path, uint32_t& crc);
    // Forgets the parts of `path` and deletes its file.
    void DropPart(const std::wstring& path);

    LogicContext& ctx_;
    UpdateState& state_;
    // Progress counters; 64-bit so that installations beyond 4 GiB count right.
    uint64_t bytesToDownload_ = 0;
    uint64_t bytesDone_ = 0;
    uint64_t bytesDoneBefore_ = 0;
    uint64_t totalSize_ = 0;
    uint64_t unpackedKb_ = 0;
    bool paused_ = false;
    // The part being received: bytes that came in pieces, and whether
    // one of them could not be added (the rest is then not added either:
    // it would land at the wrong place).
    uint64_t pieceBytes_ = 0;
    bool pieceFailed_ = false;
};
