// Downloading the queued packs: preparing them from what tmp\ already holds,
// requesting them part by part, handing complete files to the unpacker,
// the new launcher's download and the progress display. UI thread only.

#include "logic.h"

#include "logic/launcher_update.h"
#include "logic/update_texts.h"
#include "net/url_components.h"
#include "startup/format_text.h"
#include "startup/module_resources.h"
#include "startup/resource_slots.h"
#include "startup/text.h"

#include <algorithm>

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

const wchar_t kBadFileWarning[] = L"    .. warning: crc or size is not correct, file will be added to download queue";

}  // namespace

std::wstring CLogic::ItemPath(const DownloadQueueItem& item) const {
    if (item.file == kLauncherName && item.crc == kUnknownCrc)
        return LauncherDownloadPath(installFolder_, launcherInfo_.version, item.size);
    return DownloadFilePath(installFolder_, item.crc, item.size);
}

void CLogic::ClearQueue() {
    CLock lock(checker_.Lock());
    queue_.items.clear();
}

bool CLogic::PrepareFileDownloads() {
    std::list<DownloadQueueItem> items, kept;
    {
        CLock lock(checker_.Lock());
        items.swap(queue_.items);
        bytesToDownload_ = queue_.bytesToDownload;
    }
    // A cycle restarted on another server counts from what tmp\ holds.
    bytesDone_ = bytesDoneBefore_ = 0;
    totalSize_ = 0;
    bool handedOver = false;
    for (DownloadQueueItem& item : items) {
        totalSize_ += item.size;
        const std::wstring path = ItemPath(item);
        CBuffer none;
        unpacker_.AddFilePart(path, none, 0);
        uint32_t crc = 0;
        uint64_t held = 0;
        unpacker_.GetPackageInfo(path, crc, held);
        if (held > item.size || (held == item.size && crc != item.crc)) {
            LogUnpackerTask(item.file, L"tmp", path);
            LogLine(kBadFileWarning);
            unpacker_.ForgetParts(path);
            DeleteFileW(path.c_str());
            held = 0;
        }
        item.received = held;
        item.outstanding = item.size - held;
        if (settings_.progressFromZero)
            bytesToDownload_ -= std::min(bytesToDownload_, held);
        else
            bytesDone_ += held;
        if (held == item.size) {
            LogUnpackerTask(item.file, L"tmp", path);
            unpacker_.AddPackageTask(path);
            handedOver = true;
        } else {
            kept.push_back(item);
        }
    }
    if (!settings_.progressFromZero) bytesDoneBefore_ = bytesDone_;
    CLock lock(checker_.Lock());
    queue_.items.splice(queue_.items.end(), kept);
    return handedOver;
}

bool CLogic::QueueLauncherDownload() {
    bytesToDownload_ = bytesDone_ = bytesDoneBefore_ = 0;
    DownloadQueueItem item;
    item.file = kLauncherName;
    item.size = uint64_t(std::max<int64_t>(launcherInfo_.size, 0));
    item.crc = kUnknownCrc;
    LauncherSlotArguments slots;
    slots.language = ReadSlotValue(*FindSlotInfo("LANGUAGE"));
    slots.affiliateId = ReadSlotValue(*FindSlotInfo("AFFILIATE_ID"));
    slots.referrerId = ReadSlotValue(*FindSlotInfo("REFERRER_ID"));
    slots.promoCode = ReadSlotValue(*FindSlotInfo("PROMOCODE"));
    item.url = LauncherDownloadUrl(launcherInfo_.url, slots);

    const std::wstring path = ItemPath(item);
    CBuffer none;
    unpacker_.AddFilePart(path, none, 0);
    uint32_t crc = 0;
    uint64_t held = 0;
    unpacker_.GetPackageInfo(path, crc, held);
    if (held > item.size) {
        unpacker_.ForgetParts(path);
        DeleteFileW(path.c_str());
        held = 0;
    }
    item.received = held;
    item.outstanding = item.size - held;
    bytesToDownload_ += item.outstanding;
    totalSize_ = item.outstanding;
    if (item.outstanding > 0) {
        CLock lock(checker_.Lock());
        queue_.items.push_back(item);
        return false;
    }
    LogUnpackerTask(item.file, L"tmp", path);
    unpacker_.AddFileTask(path, L"Launcher.tmp.exe");
    launcherUpdatePending_ = true;
    return true;
}

void CLogic::StartNextDownload() {
    attempts_ = 1;
    RequestFrontItem();
}

void CLogic::RequestFrontItem() {
    DownloadQueueItem item;
    {
        CLock lock(checker_.Lock());
        if (queue_.items.empty()) {
            unpacker_.Finish();
            return;
        }
        item = queue_.items.front();
    }
    const std::wstring path = ItemPath(item);
    uint32_t crc = 0;
    uint64_t held = 0;
    if (!unpacker_.GetPackageInfo(path, crc, held)) {
        CBuffer none;
        unpacker_.AddFilePart(path, none, 0);
        unpacker_.GetPackageInfo(path, crc, held);
    }
    if (held >= item.size) {
        OnUpdateFileDone();
        return;
    }
    const uint64_t piece = std::min(item.size - held, kPartSize);
    std::string url = updatePath_ + item.file;
    if (!item.url.empty()) {
        // The launcher may live on another server than the packs.
        CUrlComponents parsed;
        if (parsed.Parse(item.url.c_str())) {
            downloader_.SetBaseUrl(parsed.BaseUrl());
            url = parsed.PathAndQuery();
        }
    } else {
        downloader_.SetBaseUrl(urlSelector_.selection.SelectedURL);
    }
    lastRequest_ = url;
    downloader_.DownloadUpdate(url, int(held), int(piece - 1));
}

void CLogic::OnUpdateData(CBuffer& body, bool partial) {
    DownloadQueueItem item;
    {
        CLock lock(checker_.Lock());
        if (queue_.items.empty()) return;
        item = queue_.items.front();
    }
    const uint32_t length = body.length();
    if (length == 0) {
        LogLine(L"fireFilePartReceived() : buf empty (zero size)");
        // A failed transfer is followed by its error report, which counts
        // the attempt and retries.
        if (partial) return;
        ++attempts_;
        LogLine(FormatText(L"Server answer is unexpected: %s", Utf8ToWide(item.file).c_str()));
        lastErrorText_ = GetString(30);
        ArmRetryTimer(2225);
        return;
    }
    // Only a part that arrived whole proves the server works: a server that
    // breaks off every transfer must still run out of attempts.
    if (!partial) attempts_ = 0;
    ++partCount_;
    OnUpdateProgress(length, false);
    LogLine(FormatText(L"filePartReceived: file: %s (part size: %d)", Utf8ToWide(item.file).c_str(), int(length)));
    const std::wstring path = ItemPath(item);
    if (!unpacker_.AddFilePart(path, body, length)) {
        LogLine(L"fireFilePartReceived() : addFilePart false");
        if (!partial) CountAttempt(0, 0), ArmRetryTimer(2225);
        return;
    }
    if (partial) {
        LogLine(L"fireFilePartReceived() : bError");
        return;
    }
    uint32_t crc = 0;
    uint64_t held = 0;
    unpacker_.GetPackageInfo(path, crc, held);
    if (held < item.size)
        RetryDownload(2225);
    else
        OnUpdateFileDone();
}

void CLogic::OnUpdateFileDone() {
    DownloadQueueItem item;
    {
        CLock lock(checker_.Lock());
        if (queue_.items.empty()) return;
        item = queue_.items.front();
        queue_.items.pop_front();
    }
    const std::wstring path = ItemPath(item);
    unpacker_.MarkComplete(path);
    if (item.file == kLauncherName && !EndsWith(item.file, ".pkg")) {
        OnLauncherReceived(item, path);
        return;
    }
    // Every other pack (".pkg", and ".bin" which the unpacker reads the
    // same way) is tested and unpacked; nothing downloaded is left unused.
    uint32_t crc = 0;
    uint64_t held = 0;
    unpacker_.GetPackageInfo(path, crc, held);
    LogUnpackerTask(item.file, L"received", path);
    if (held != item.size || crc != item.crc) {
        LogLine(kBadFileWarning);
        // Forget before deleting: parts still in memory must not recreate the file.
        unpacker_.ForgetParts(path);
        DeleteFileW(path.c_str());
        wizard_.ShowMessage(kActionRetryFiles, GetString(40), mbbRetry | mbbCancel, false);
        bytesDoneBefore_ -= std::min(bytesDoneBefore_, item.size);
        bytesDone_ = bytesDoneBefore_;
        item.received = 0;
        item.outstanding = item.size;
        CLock lock(checker_.Lock());
        queue_.items.push_back(item);
        return;
    }
    unpacker_.AddPackageTask(path);
    if (launcherUpdatePending_) ClearQueue();
    if (!paused_) StartNextDownload();
}

void CLogic::OnLauncherReceived(const DownloadQueueItem& item, const std::wstring& path) {
    LogUnpackerTask(item.file, L"received", path);
    std::string bytes;
    const bool accepted =
        unpacker_.ReadPackage(path, bytes) && AcceptDownloadedLauncher(bytes, item.size, launcherInfo_.crcPresent,
                                                                       launcherInfo_.crc, checker_.ManifestChanged());
    bytes.clear();
    bytes.shrink_to_fit();
    ClearQueue();
    if (accepted) {
        unpacker_.AddFileTask(path, L"Launcher.tmp.exe");
        launcherUpdatePending_ = true;
        if (!paused_) StartNextDownload();
        return;
    }
    unpacker_.ForgetParts(path);
    DeleteFileW(path.c_str());
    QueueLauncherDownload();
    LogUnpackerTask(item.file, L"received", path);
    LogLine(kBadFileWarning);
    wizard_.ShowMessage(kActionRetryFiles, GetString(40), mbbRetry | mbbCancel, false);
}

void CLogic::OnUpdateProgress(uint32_t bytes, bool add) {
    if (add) {
        bytesDone_ += bytes;
    } else {
        bytesDoneBefore_ += bytes;
        bytesDone_ = bytesDoneBefore_;
    }
    RefreshProgress();
}

void CLogic::RefreshProgress() {
    const ProgressFigures f = ComputeProgress(bytesDone_, bytesToDownload_, newLauncherKnown_, unpackedKb_, totalSize_);
    const int label = theme_.singlePageMode ? kSingleProgressLabel : kProgressLabel;
    const int bar = theme_.singlePageMode ? kSingleProgressBar : kProgressBar;
    double percent;
    if (f.downloading || silentDownloadActive_) {
        percent = f.downloading ? f.percent : f.wholePercent;
        progressText_ = FormatText(GetString(paused_ ? 9 : 8).c_str(), percent);
        if (trayIconShown_) SetTrayIconTooltip();
        wizard_.SetText(label, FormatText(GetString(4).c_str(), f.doneKb, f.totalKb));
    } else {
        percent = f.wholePercent;
        wizard_.SetText(label, FormatText(GetString(16).c_str(), f.wholePercent, L"%"));
    }
    wizard_.SetProgress(bar, int(std::clamp(percent, 0.0, 100.0)));
}

bool CLogic::EnoughDiskSpace() {
    ULARGE_INTEGER available{}, total{}, free{};
    const std::wstring root = installFolder_ + L"\\";
    if (GetDiskFreeSpaceExW(root.c_str(), &available, &total, &free)) return available.QuadPart >= bytesToDownload_;
    DWORD sectors = 0, bytesPerSector = 0, freeClusters = 0, clusters = 0;
    if (!GetDiskFreeSpaceW(root.substr(0, 3).c_str(), &sectors, &bytesPerSector, &freeClusters, &clusters))
        return false;
    return uint64_t(sectors) * bytesPerSector * freeClusters >= bytesToDownload_;
}
