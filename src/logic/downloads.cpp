// Downloading the queued packs: preparing them from what tmp\ already holds,
// requesting them part by part, handing complete files to the unpacker,
// the new launcher's download, pausing and the progress display. UI thread
// only.

#include "logic/downloads.h"

#include "logic/client_link.h"
#include "logic/launcher_update.h"
#include "logic/server_link.h"
#include "logic/tray.h"
#include "logic/update_texts.h"
#include "logic/wizard_flow.h"
#include "net/url_components.h"
#include "startup/format_text.h"
#include "startup/module_resources.h"
#include "startup/resource_slots.h"
#include "startup/text.h"
#include "startup/window_messages.h"
#include "update/publisher_signature.h"

#include <algorithm>
#include <utility>

namespace {

using CLock = CCriticalSection::Scope;

// Parts are requested in pieces of this size: each piece reaches the disk
// before the next is asked for, so memory stays bounded and an interrupted
// run resumes close to where it stopped.
constexpr uint64_t kPartSize = 16u << 20;
constexpr uint32_t kUnknownCrc = 0xFFFFFFFF;

const char kLauncherName[] = "Launcher.exe";

constexpr int kSingleProgressLabel = 12361;
constexpr int kProgressLabel = 12405;
constexpr int kSingleProgressBar = 12360;
constexpr int kProgressBar = 12407;

bool EndsWith(const std::string& text, const char* tail) {
    const size_t n = strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

void LogUnpackerTask(const std::string& name, const wchar_t* source, const std::wstring& path) {
    LogLine(FormatText(L"Add task for unpacker: %s", Utf8ToWide(name).c_str()));
    LogLine(FormatText(L"  .. from %s file: %s", source, path.c_str()));
}

const wchar_t kBadHashWarning[] = L"    .. warning: SHA-256 does not match the signed manifest";

const wchar_t kBadFileWarning[] = L"    .. warning: crc or size is not correct, file will be added to download queue";

}  // namespace

std::wstring CDownloads::ItemPath(const DownloadQueueItem& item) const {
    if (item.file == kLauncherName && item.crc == kUnknownCrc)
        return LauncherDownloadPath(ctx_.installFolder, state_.launcherInfo.version, item.size);
    return DownloadFilePath(ctx_.installFolder, item.crc, item.size);
}

bool CDownloads::HashMatches(const DownloadQueueItem& item, const std::wstring& path) const {
    if (!state_.verifyHashes) return true;
    Sha256Digest expected, held;
    if (ParseSha256Hex(item.sha256, expected) && state_.unpacker.GetPackageSha256(path, held) && held == expected)
        return true;
    LogLine(kBadHashWarning);
    return false;
}

void CDownloads::ClearQueue() {
    CLock lock(state_.checker.Lock());
    state_.queue.items.clear();
}

bool CDownloads::PrepareFileDownloads() {
    std::list<DownloadQueueItem> items, kept;
    {
        CLock lock(state_.checker.Lock());
        items.swap(state_.queue.items);
        bytesToDownload_ = state_.queue.bytesToDownload;
    }
    // A cycle restarted on another server counts from what tmp\ holds.
    bytesDone_ = bytesDoneBefore_ = 0;
    totalSize_ = 0;
    bool handedOver = false;
    for (DownloadQueueItem& item : items) {
        totalSize_ += item.size;
        const std::wstring path = ItemPath(item);
        uint32_t crc = 0;
        uint64_t held = OpenPart(path, crc);
        if (held > item.size || (held == item.size && (crc != item.crc || !HashMatches(item, path)))) {
            LogUnpackerTask(item.file, L"tmp", path);
            LogLine(kBadFileWarning);
            DropPart(path);
            held = 0;
        }
        item.received = held;
        item.outstanding = item.size - held;
        if (ctx_.settings.progressFromZero)
            bytesToDownload_ -= std::min(bytesToDownload_, held);
        else
            bytesDone_ += held;
        if (held == item.size) {
            LogUnpackerTask(item.file, L"tmp", path);
            state_.unpacker.AddPackageTask(path);
            handedOver = true;
        } else {
            kept.push_back(item);
        }
    }
    if (!ctx_.settings.progressFromZero) bytesDoneBefore_ = bytesDone_;
    CLock lock(state_.checker.Lock());
    state_.queue.items.splice(state_.queue.items.end(), kept);
    return handedOver;
}

uint64_t CDownloads::OpenPart(const std::wstring& path, uint32_t& crc) {
    CBuffer none;
    state_.unpacker.AddFilePart(path, none, 0);
    uint64_t held = 0;
    crc = 0;
    state_.unpacker.GetPackageInfo(path, crc, held);
    return held;
}

void CDownloads::DropPart(const std::wstring& path) {
    // Forget before deleting: parts still in memory must not recreate the file.
    state_.unpacker.ForgetParts(path);
    DeleteFileW(path.c_str());
}

bool CDownloads::QueueLauncherDownload() {
    bytesToDownload_ = bytesDone_ = bytesDoneBefore_ = 0;
    DownloadQueueItem item;
    item.file = kLauncherName;
    item.size = uint64_t(std::max<int64_t>(state_.launcherInfo.size, 0));
    item.crc = kUnknownCrc;
    LauncherSlotArguments slots;
    slots.language = ReadSlotValue(*FindSlotInfo("LANGUAGE"));
    slots.affiliateId = ReadSlotValue(*FindSlotInfo("AFFILIATE_ID"));
    slots.referrerId = ReadSlotValue(*FindSlotInfo("REFERRER_ID"));
    slots.promoCode = ReadSlotValue(*FindSlotInfo("PROMOCODE"));
    item.url = LauncherDownloadUrl(state_.launcherInfo.url, slots);

    const std::wstring path = ItemPath(item);
    uint32_t crc = 0;
    uint64_t held = OpenPart(path, crc);
    if (held > item.size) {
        DropPart(path);
        held = 0;
    }
    item.received = held;
    item.outstanding = item.size - held;
    bytesToDownload_ += item.outstanding;
    totalSize_ = item.outstanding;
    if (item.outstanding > 0) {
        CLock lock(state_.checker.Lock());
        state_.queue.items.push_back(item);
        return false;
    }
    // A complete file left by an earlier run passes the same test as a download.
    if (state_.verifyHashes && !LauncherAcceptable(item, path)) {
        DropPart(path);
        item.received = 0;
        item.outstanding = item.size;
        bytesToDownload_ += item.size;
        totalSize_ = item.size;
        CLock lock(state_.checker.Lock());
        state_.queue.items.push_back(item);
        return false;
    }
    LogUnpackerTask(item.file, L"tmp", path);
    state_.unpacker.AddFileTask(path, L"Launcher.tmp.exe");
    state_.launcherUpdatePending = true;
    return true;
}

void CDownloads::StartNextDownload() {
    ctx_.server->SetAttempts(1);
    RequestFrontItem();
}

void CDownloads::RequestFrontItem() {
    DownloadQueueItem item;
    {
        CLock lock(state_.checker.Lock());
        if (state_.queue.items.empty()) {
            state_.unpacker.Finish();
            return;
        }
        item = state_.queue.items.front();
    }
    const std::wstring path = ItemPath(item);
    uint32_t crc = 0;
    uint64_t held = 0;
    if (!state_.unpacker.GetPackageInfo(path, crc, held)) held = OpenPart(path, crc);
    if (held >= item.size) {
        OnUpdateFileDone();
        return;
    }
    const uint64_t piece = std::min(item.size - held, kPartSize);
    std::string url = ctx_.updatePath + item.file;
    if (!item.url.empty()) {
        // The launcher may live on another server than the packs.
        CUrlComponents parsed;
        if (parsed.Parse(item.url.c_str())) {
            ctx_.server->downloader().SetBaseUrl(parsed.BaseUrl());
            url = parsed.PathAndQuery();
        }
    } else {
        ctx_.server->downloader().SetBaseUrl(ctx_.server->selector().selection.SelectedURL);
    }
    ctx_.server->SetLastRequest(url);
    pieceBytes_ = 0;
    pieceFailed_ = false;
    ctx_.server->downloader().DownloadUpdate(url, held, piece - 1);
}

void CDownloads::OnUpdatePiece(CBuffer& piece) {
    DownloadQueueItem item;
    {
        CLock lock(state_.checker.Lock());
        if (state_.queue.items.empty()) return;
        item = state_.queue.items.front();
    }
    const uint32_t length = piece.length();
    if (pieceFailed_ || length == 0) return;
    OnUpdateProgress(length, false);
    if (!state_.unpacker.AddFilePart(ItemPath(item), piece, length)) {
        pieceFailed_ = true;
        return;
    }
    pieceBytes_ += length;
}

void CDownloads::OnUpdateData(CBuffer& body, bool partial) {
    DownloadQueueItem item;
    {
        CLock lock(state_.checker.Lock());
        if (state_.queue.items.empty()) return;
        item = state_.queue.items.front();
    }
    const uint32_t length = body.length();
    const uint64_t partBytes = pieceBytes_ + length;
    pieceBytes_ = 0;
    if (partBytes == 0) {
        LogLine(L"fireFilePartReceived() : buf empty (zero size)");
        // A failed transfer is followed by its error report, which counts
        // the attempt and retries.
        if (partial) return;
        ctx_.server->SetAttempts(ctx_.server->attempts() + 1);
        LogLine(FormatText(L"Server answer is unexpected: %s", Utf8ToWide(item.file).c_str()));
        ctx_.server->SetLastErrorText(GetString(30));
        ctx_.server->ArmRetryTimer(eWindowTimer_RetryFile);
        return;
    }
    // Only a part that arrived whole proves the server works: a server that
    // breaks off every transfer must still run out of attempts.
    if (!partial) ctx_.server->SetAttempts(0);
    OnUpdateProgress(length, false);
    LogLine(FormatText(L"filePartReceived: file: %s (part size: %d)", Utf8ToWide(item.file).c_str(), int(partBytes)));
    const std::wstring path = ItemPath(item);
    const bool failed = std::exchange(pieceFailed_, false);
    if (failed || !state_.unpacker.AddFilePart(path, body, length)) {
        LogLine(L"fireFilePartReceived() : addFilePart false");
        if (!partial) ctx_.server->CountAttempt(0, 0, false), ctx_.server->ArmRetryTimer(eWindowTimer_RetryFile);
        return;
    }
    if (partial) {
        LogLine(L"fireFilePartReceived() : bError");
        return;
    }
    uint32_t crc = 0;
    uint64_t held = 0;
    state_.unpacker.GetPackageInfo(path, crc, held);
    if (held < item.size)
        ctx_.server->RetryDownload(eWindowTimer_RetryFile);
    else
        OnUpdateFileDone();
}

void CDownloads::OnUpdateFileDone() {
    DownloadQueueItem item;
    {
        CLock lock(state_.checker.Lock());
        if (state_.queue.items.empty()) return;
        item = state_.queue.items.front();
        state_.queue.items.pop_front();
    }
    const std::wstring path = ItemPath(item);
    if (item.file == kLauncherName && !EndsWith(item.file, ".pkg")) {
        OnLauncherReceived(item, path);
        return;
    }
    // Every other pack (".pkg", and ".bin" which the unpacker reads the
    // same way) is tested and unpacked; nothing downloaded is left unused.
    uint32_t crc = 0;
    uint64_t held = 0;
    state_.unpacker.GetPackageInfo(path, crc, held);
    LogUnpackerTask(item.file, L"received", path);
    if (held != item.size || crc != item.crc || !HashMatches(item, path)) {
        LogLine(kBadFileWarning);
        DropPart(path);
        ctx_.flow->ShowMessage(GetString(40), kActionRetryFiles, mbbRetry | mbbCancel, false);
        bytesDoneBefore_ -= std::min(bytesDoneBefore_, item.size);
        bytesDone_ = bytesDoneBefore_;
        item.received = 0;
        item.outstanding = item.size;
        CLock lock(state_.checker.Lock());
        state_.queue.items.push_back(item);
        return;
    }
    state_.unpacker.AddPackageTask(path);
    if (state_.launcherUpdatePending) ClearQueue();
    if (!paused_) StartNextDownload();
}

void CDownloads::OnLauncherReceived(const DownloadQueueItem& item, const std::wstring& path) {
    LogUnpackerTask(item.file, L"received", path);
    const bool accepted = LauncherAcceptable(item, path);
    ClearQueue();
    if (accepted) {
        state_.unpacker.AddFileTask(path, L"Launcher.tmp.exe");
        state_.launcherUpdatePending = true;
        if (!paused_) StartNextDownload();
        return;
    }
    DropPart(path);
    QueueLauncherDownload();
    LogUnpackerTask(item.file, L"received", path);
    LogLine(kBadFileWarning);
    ctx_.flow->ShowMessage(GetString(40), kActionRetryFiles, mbbRetry | mbbCancel, false);
}

bool CDownloads::LauncherAcceptable(const DownloadQueueItem& item, const std::wstring& path) {
    std::string bytes;
    if (!state_.unpacker.ReadPackage(path, bytes) ||
        !AcceptDownloadedLauncher(bytes, item.size, state_.launcherInfo.crcPresent, state_.launcherInfo.crc,
                                  state_.checker.ManifestChanged()))
        return false;
    if (!state_.verifyHashes) return true;
    Sha256Digest expected;
    if (ParseSha256Hex(state_.launcherInfo.sha256, expected) && LauncherImageSha256(bytes) == expected) return true;
    LogLine(kBadHashWarning);
    return false;
}

void CDownloads::OnUpdateProgress(uint32_t bytes, bool add) {
    if (add) {
        bytesDone_ += bytes;
    } else {
        bytesDoneBefore_ += bytes;
        bytesDone_ = bytesDoneBefore_;
    }
    RefreshProgress();
}

void CDownloads::RefreshProgress() {
    const ProgressFigures f = ComputeProgress(bytesDone_, bytesToDownload_, state_.newLauncherKnown, unpackedKb_, totalSize_);
    const int label = ctx_.theme.singlePageMode ? kSingleProgressLabel : kProgressLabel;
    const int bar = ctx_.theme.singlePageMode ? kSingleProgressBar : kProgressBar;
    double percent;
    if (f.downloading || ctx_.client->silentDownloadActive()) {
        percent = f.downloading ? f.percent : f.wholePercent;
        ctx_.tray->SetProgressText(FormatText(GetString(paused_ ? 9 : 8).c_str(), percent));
        ctx_.wizard.SetText(label, FormatText(GetString(4).c_str(), f.doneKb, f.totalKb));
    } else {
        percent = f.wholePercent;
        ctx_.wizard.SetText(label, FormatText(GetString(16).c_str(), f.wholePercent, L"%"));
    }
    ctx_.wizard.SetProgress(bar, int(std::clamp(percent, 0.0, 100.0)));
}

bool CDownloads::EnoughDiskSpace() {
    ULARGE_INTEGER available{}, total{}, free{};
    const std::wstring root = ctx_.installFolder + L"\\";
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return available.QuadPart >= bytesToDownload_;
    DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceW(root.substr(0, 3).c_str(), &sectors, &bytesPerSector, &freeClusters, &clusters))
        return false;
    return uint64_t(sectors) * bytesPerSector * freeClusters >= bytesToDownload_;
}

void CDownloads::TogglePause() {
    paused_ = !paused_;
    RefreshProgress();
    bool queued;
    {
        CCriticalSection::Scope lock(state_.checker.Lock());
        queued = !state_.queue.items.empty();
    }
    // A part still on its way continues the download by itself when it arrives.
    if (!paused_ && queued && ctx_.server->downloader().kind() == CDownloader::dkNone) StartNextDownload();
}

void CDownloads::OnUnpackProgress(uint64_t bytes) {
    if (bytes > 0) unpackedKb_ = bytes / 1024;
    RefreshProgress();
}
