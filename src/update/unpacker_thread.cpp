#include "unpacker_thread.h"

#include "startup/crc32.h"
#include "startup/folders.h"
#include "startup/text.h"
#include "update/entry_target.h"
#include "update/entry_writer.h"
#include "update/file_read_stream.h"
#include "update/rar_archive.h"
#include "update/zip_file.h"

#include <cstring>
#include <iterator>
#include <new>

namespace {

const wchar_t kErrAssemble[] = L"pkg/bin file can not be open";
const wchar_t kErrRarOpen[] = L"pkg(rar) file error or empty : ";
const wchar_t kErrRarUnpack[] = L"pkg(rar) unpack error : ";
const wchar_t kErrZipOpen[] = L"pkg file error or empty : ";
const wchar_t kErrZipUnpack[] = L"pkg unpack error : ";
const wchar_t kErrCreate[] = L"unpacker: file can't be create : ";
const wchar_t kErrWrite[] = L"unpacker: file can't be write : ";

constexpr LPARAM kResultDone = 0;
constexpr LPARAM kResultPackage = 1;
constexpr LPARAM kResultFile = 2;
constexpr ULONGLONG kProgressInterval = 55;
constexpr DWORD kIoChunk = 1u << 24;
constexpr uint64_t kPartsInMemoryLimit = 16u << 20;
// Reads of package files, in pieces: memory stays bounded.
constexpr DWORD kReadPiece = 1u << 20;

// Appends `length` bytes of the open file to `out`.
bool ReadAll(HANDLE file, uint64_t length, std::string& out) {
    while (length) {
        const DWORD chunk = DWORD(length < kIoChunk ? length : kIoChunk);
        const size_t at = out.size();
        out.resize(at + chunk);
        DWORD got = 0;
        if (!ReadFile(file, &out[at], chunk, &got, nullptr) || got != chunk) return false;
        length -= chunk;
    }
    return true;
}

std::wstring FullPath(const std::wstring& path) {
    const DWORD n = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (!n) return {};
    std::wstring out(n, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), n, &out[0], nullptr);
    if (!got || got >= n) return {};
    out.resize(got);
    return out;
}

// A second line of defence after the entry name rules: the resolved path
// must lie below the resolved installation folder.
bool Inside(const std::wstring& path, const std::wstring& folder) {
    const std::wstring full = FullPath(path);
    std::wstring root = FullPath(folder);
    if (full.empty() || root.empty()) return false;
    if (root.back() != L'\\') root += L'\\';
    return full.size() > root.size() &&
           CompareStringOrdinal(full.c_str(), int(root.size()), root.c_str(), int(root.size()), TRUE) == CSTR_EQUAL;
}

bool IsFullPath(const std::wstring& path) {
    return (path.size() > 1 && path[1] == L':') || (!path.empty() && path[0] == L'\\');
}

// Continues `crc` and `bytes` over the rest of the open file, read in
// pieces that stay in the cache; false at a stop (`stop` null: none).
bool CountAndCrc(HANDLE file, uint32_t& crc, uint64_t& bytes, const std::atomic<bool>* stop, CSha256* sha = nullptr) {
    std::vector<char> piece(kReadPiece);
    DWORD got = 0;
    while (ReadFile(file, piece.data(), kReadPiece, &got, nullptr) && got) {
        if (stop && *stop) return false;
        crc = Crc32Continue(piece.data(), got, crc);
        if (sha) sha->Update(piece.data(), got);
        bytes += got;
    }
    return true;
}

// The CRC-32, SHA-256 and length of the file at `path`; zero for a missing file.
void FileCountAndCrc(const std::wstring& path, uint32_t& crc, uint64_t& bytes, CSha256& sha) {
    CFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (file.IsValid()) CountAndCrc(file.Get(), crc, bytes, nullptr, &sha);
}

}  // namespace

CUnpackerThread::CUnpackerThread() = default;

CUnpackerThread::~CUnpackerThread() { Stop(INFINITE); }

void CUnpackerThread::Configure(const std::wstring& installFolder, HWND window, bool startOnFirstTask,
                                bool ignoreWriteErrors) {
    CLock lock(lock_);
    installFolder_ = installFolder;
    while (!installFolder_.empty() && installFolder_.back() == L'\\') installFolder_.pop_back();
    window_ = window;
    startOnFirstTask_ = startOnFirstTask;
    ignoreWriteErrors_ = ignoreWriteErrors;
}

bool CUnpackerThread::Start() {
    if (HasThread()) return false;
    workEvent_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!workEvent_.IsValid()) return false;
    stopped_ = false;
    if (!partWriter_.Start()) return false;
    if (CThread::Start()) return true;
    partWriter_.Stop(INFINITE);
    return false;
}

bool CUnpackerThread::Stop(DWORD limit) {
    if (Terminated()) return false;
    {
        // Under the lock the worker holds when it finds nothing to do and
        // resets the event: otherwise that reset could fall between these
        // two lines and the worker would never see the stop.
        CLock lock(lock_);
        stopped_ = true;
        if (workEvent_.IsValid()) SetEvent(workEvent_.Get());
    }
    const bool ended = CThread::Stop(limit);
    const bool writerEnded = partWriter_.Stop(limit);
    // What is still in memory goes to disk, so the next run resumes it.
    if (!Terminated() && !partWriter_.Terminated()) FlushParts();
    return ended && writerEnded;
}

bool CUnpackerThread::AddFilePart(const std::wstring& package, CBuffer& part, uint32_t length) {
    if (length > part.length()) return false;
    bool known;
    {
        CLock lock(lock_);
        known = packages_.count(package) != 0;
    }
    // A download resumed by an earlier run continues the file on disk. Only
    // the caller adds packages, so it is still unknown after the read.
    PackageRecord fromDisk;
    if (!known) FileCountAndCrc(package, fromDisk.crc, fromDisk.bytes, fromDisk.sha);
    uint64_t inMemory = 0;
    {
        CLock lock(lock_);
        const auto found = packages_.try_emplace(package, std::move(fromDisk)).first;
        if (length) {
            auto stored = std::make_unique<CBuffer>();
            stored->take(part);
            if (stored->length() > length) stored->reserve(length);
            found->second.crc = Crc32Continue(stored->data(), length, found->second.crc);
            found->second.sha.Update(stored->data(), length);
            found->second.bytes += length;
            found->second.parts.push_back(std::move(stored));
        }
        partsNeedFlushing_ = true;
        // Received parts go to disk at once, also while the unpacker thread
        // unpacks: a killed run loses no more than what was on the wire.
        if (length) partWriter_.Wake();
        for (const auto& [path, record] : packages_)
            if (!record.unpacked)
                for (const auto& stored : record.parts) inMemory += stored->length();
    }
    // A download faster than the disk must not pile up in memory: beyond the
    // limit the caller writes, after the part writer's write in progress.
    if (inMemory > kPartsInMemoryLimit) Flush();
    return true;
}

bool CUnpackerThread::GetPackageInfo(const std::wstring& package, uint32_t& crc, uint64_t& bytes) const {
    CLock lock(lock_);
    const auto found = packages_.find(package);
    if (found == packages_.end()) return false;
    crc = found->second.crc;
    bytes = found->second.bytes;
    return true;
}

bool CUnpackerThread::GetPackageSha256(const std::wstring& package, Sha256Digest& digest) const {
    CLock lock(lock_);
    const auto found = packages_.find(package);
    if (found == packages_.end()) return false;
    digest = found->second.sha.Digest();
    return true;
}

void CUnpackerThread::ForgetParts(const std::wstring& package) {
    CLock lock(lock_);
    const auto found = packages_.find(package);
    if (found == packages_.end()) return;
    // The count and CRC restart with the parts, or a new download would be
    // checked against the bytes of the forgotten one.
    const uint64_t epoch = found->second.epoch + 1;
    found->second = PackageRecord();
    found->second.epoch = epoch;
}

void CUnpackerThread::AddTask(Task task) {
    CLock lock(lock_);
    if (stopped_) return;
    tasks_.push_back(std::move(task));
    if (startOnFirstTask_ && workEvent_.IsValid()) SetEvent(workEvent_.Get());
}

void CUnpackerThread::AddPackageTask(const std::wstring& package) { AddTask({package, {}, true}); }

void CUnpackerThread::AddFileTask(const std::wstring& source, const std::wstring& target) {
    AddTask({source, target, false});
}

void CUnpackerThread::ResumeWork() {
    CLock lock(lock_);
    startOnFirstTask_ = true;
    if (workEvent_.IsValid()) SetEvent(workEvent_.Get());
}

void CUnpackerThread::Finish() {
    CLock lock(lock_);
    finishWhenEmpty_ = true;
    if (workEvent_.IsValid()) SetEvent(workEvent_.Get());
}

void CUnpackerThread::Flush() {
    CLock files(fileLock_);
    struct Batch {
        std::wstring path;
        uint64_t epoch;
        std::vector<std::unique_ptr<CBuffer>> parts;
    };
    std::vector<Batch> batches;
    {
        CLock lock(lock_);
        if (!partsNeedFlushing_) return;
        partsNeedFlushing_ = false;
        for (auto& [path, record] : packages_) {
            if (record.unpacked || record.parts.empty()) continue;
            // Taken out for the write; fileLock_ keeps readers of the
            // package away until they are on disk or back.
            batches.push_back({path, record.epoch, std::move(record.parts)});
            record.parts.clear();
        }
    }
    for (Batch& batch : batches) {
        CFile file(CreateFileW(batch.path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER zero{};
        size_t written = 0;
        if (file.IsValid() && SetFilePointerEx(file.Get(), zero, nullptr, FILE_END))
            for (; written < batch.parts.size(); ++written) {
                CBuffer& part = *batch.parts[written];
                if (!WriteAllBytes(file.Get(), reinterpret_cast<const char*>(part.data()), part.length(), nullptr)) break;
            }
        // A part cut short stays on disk and in memory; assembling then
        // finds the size mismatch instead of losing bytes silently.
        batch.parts.erase(batch.parts.begin(), batch.parts.begin() + ptrdiff_t(written));
    }
    CLock lock(lock_);
    for (Batch& batch : batches) {
        const auto found = packages_.find(batch.path);
        // Parts of a forgotten download are not wanted any more.
        if (batch.parts.empty() || found == packages_.end() || found->second.epoch != batch.epoch) continue;
        // Kept in memory for the next try, ahead of the parts that came meanwhile.
        auto& parts = found->second.parts;
        parts.insert(parts.begin(), std::make_move_iterator(batch.parts.begin()),
                     std::make_move_iterator(batch.parts.end()));
        partsNeedFlushing_ = true;
    }
}

std::wstring CUnpackerThread::ErrorText() const {
    CLock lock(lock_);
    return errorText_;
}

DWORD CUnpackerThread::ErrorValue() const {
    CLock lock(lock_);
    return errorValue_;
}

uint64_t CUnpackerThread::UnpackedBytes() const {
    CLock lock(lock_);
    return unpackedBytes_;
}

void CUnpackerThread::Post(UINT message, WPARAM w, LPARAM l) const {
    if (window_) PostMessageW(window_, message, w, l);
}

void CUnpackerThread::Fail(const std::wstring& text, DWORD value, LPARAM result) {
    {
        CLock lock(lock_);
        errorText_ = text;
        errorValue_ = value;
    }
    stopped_ = true;
    FlushParts();
    Post(kFinishedMessage, 0, result);
}

void CUnpackerThread::Progress(uint64_t packageSize, size_t done, size_t total, bool force) {
    const ULONGLONG now = GetTickCount64();
    if (!force && now - lastProgress_ <= kProgressInterval) return;
    lastProgress_ = now;
    uint64_t bytes = UnpackedBytes();
    if (total) bytes += uint64_t(double(packageSize) * double(done) / double(total));
    Post(kProgressMessage, WPARAM(uint32_t(bytes >> 32)), LPARAM(bytes));
}

void CUnpackerThread::Run() {
    for (;;) {
        if (WaitForSingleObject(workEvent_.Get(), INFINITE) != WAIT_OBJECT_0) return;
        // Once stopped, Stop writes what is left after the thread has ended.
        if (Stopped()) return;
        // Every part received so far is on disk before the tasks run and
        // before a finish is reported.
        Flush();
        for (;;) {
            Task task;
            {
                CLock lock(lock_);
                if (stopped_) return;
                if (tasks_.empty()) break;
                task = tasks_.front();
            }
            if (!ProcessTask(task)) return;
            CLock lock(lock_);
            if (!tasks_.empty()) tasks_.pop_front();
        }
        CLock lock(lock_);
        if (!stopped_ && finishWhenEmpty_) {
            errorText_.clear();
            finishWhenEmpty_ = false;
            Post(kFinishedMessage, 0, kResultDone);
        } else {
            ResetEvent(workEvent_.Get());
        }
    }
}

bool CUnpackerThread::AssemblePackage(const std::wstring& package, std::string& data) {
    // No parts of the package are on their way to disk meanwhile.
    CLock files(fileLock_);
    uint64_t expected;
    {
        CLock lock(lock_);
        const auto found = packages_.find(package);
        if (found == packages_.end()) return false;
        expected = found->second.bytes;
    }
    try {
        if (expected > SIZE_MAX / 2) return false;
        data.reserve(size_t(expected));
        CFile file(CreateFileW(package.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        if (file.IsValid()) {
            LARGE_INTEGER size;
            if (!GetFileSizeEx(file.Get(), &size) || uint64_t(size.QuadPart) > expected ||
                !ReadAll(file.Get(), uint64_t(size.QuadPart), data))
                return false;
        }
        // Parts that arrived during the read count too: the sum is checked
        // against the count of the same moment.
        CLock lock(lock_);
        const auto found = packages_.find(package);
        if (found == packages_.end()) return false;
        for (const auto& part : found->second.parts)
            data.append(reinterpret_cast<const char*>(part->data()), part->length());
        return data.size() == found->second.bytes;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool CUnpackerThread::OpenPackage(const std::wstring& package, CFile& file, uint64_t& size) {
    // Everything received goes to the file first: the package is read from there.
    Flush();
    uint32_t crc;
    {
        CLock files(fileLock_);
        {
            CLock lock(lock_);
            const auto found = packages_.find(package);
            if (found == packages_.end() || !found->second.parts.empty()) return false;
            crc = found->second.crc;
            size = found->second.bytes;
        }
        // Shared for reading only: the bytes checked here are the bytes
        // unpacked, nobody changes the file meanwhile, and the lock is not
        // needed for the long reads. A package of no bytes may never have
        // been written.
        file.Reset(CreateFileW(package.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                               size ? OPEN_EXISTING : OPEN_ALWAYS, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
        if (!file.IsValid()) return false;
    }
    // The file must still hold what was received: a file truncated or
    // changed since is deleted, so that it is fetched again.
    uint32_t onDisk = 0;
    uint64_t count = 0;
    if (!CountAndCrc(file.Get(), onDisk, count, &stopped_)) return false;
    if (count == size && onDisk == crc) return true;
    file.Reset();
    ForgetParts(package);
    DeleteFileW(package.c_str());
    return false;
}

bool CUnpackerThread::ProcessTask(const Task& task) {
    if (Stopped()) return false;
    CFile file;
    uint64_t packageSize = 0;
    if (!OpenPackage(task.source, file, packageSize)) {
        if (Stopped()) return false;
        Fail(std::wstring(kErrAssemble) + L" : " + task.source, ERROR_READ_FAULT, kResultPackage);
        return false;
    }
    CFileReadStream stream(file.Get(), int64_t(packageSize));
    char marker[4] = {};
    const bool rar = packageSize > 3 && stream.Read(marker, 4) && std::memcmp(marker, "Rar!", 4) == 0;
    stream.Seek(0, 2);
    CEntryWriter writer(stopped_, ignoreWriteErrors_);
    bool ok;
    if (!task.package) {
        ok = CopyPackage(task, stream, packageSize, writer);
    } else if (rar) {
        ok = UnpackRar(task, stream, packageSize, writer);
    } else {
        ok = UnpackZip(task, stream, packageSize, writer);
    }
    if (!ok) return false;
    {
        CLock lock(lock_);
        const auto found = packages_.find(task.source);
        if (found != packages_.end()) {
            found->second.unpacked = true;
            found->second.parts.clear();
        }
        unpackedBytes_ += packageSize;
    }
    Progress(0, 0, 0, true);
    return true;
}

void CUnpackerThread::ReportWriteFailure(const CEntryWriter& writer) {
    if (Stopped() || writer.failure() == CEntryWriter::Failure::None) return;
    const wchar_t* text = writer.failure() == CEntryWriter::Failure::Create ? kErrCreate : kErrWrite;
    Fail(text + writer.path(), writer.error(), kResultFile);
}

bool CUnpackerThread::CopyPackage(const Task& task, ISimpleReadStream& stream, uint64_t packageSize,
                                  CEntryWriter& writer) {
    writer.Begin(IsFullPath(task.target) ? task.target : installFolder_ + L"\\" + task.target);
    std::vector<char> chunk(kReadPiece);
    int64_t got = 0;
    while (stream.Read(chunk.data(), int64_t(chunk.size()), &got))
        if (!writer.Add(chunk.data(), size_t(got))) return ReportWriteFailure(writer), false;
    if (uint64_t(stream.Position()) != packageSize) {
        if (Stopped()) return false;
        Fail(std::wstring(kErrAssemble) + L" : " + task.source, ERROR_READ_FAULT, kResultPackage);
        return false;
    }
    if (!writer.End()) return ReportWriteFailure(writer), false;
    return true;
}

bool CUnpackerThread::UnpackRar(const Task& task, ISimpleReadStream& stream, uint64_t packageSize,
                                CEntryWriter& writer) {
    CRarArchive rar;
    if (!rar.Open(stream)) {
        if (Stopped()) return false;
        Fail(kErrRarOpen + task.source, ERROR_BAD_FORMAT, kResultPackage);
        return false;
    }
    // Every name is checked before anything is written.
    std::vector<EntryTarget> targets(rar.Items().size());
    for (size_t i = 0; i < targets.size(); ++i) {
        if (!MakeEntryTarget(rar.Items()[i].name, targets[i]) ||
            !Inside(installFolder_ + L"\\" + Utf8ToWide(targets[i].relative), installFolder_)) {
            Fail(kErrRarUnpack + task.source, ERROR_BAD_PATHNAME, kResultPackage);
            return false;
        }
    }
    RarItem item;
    const auto toWriter = [&writer](const char* data, size_t length) { return writer.Add(data, length); };
    const auto nowhere = [this](const char*, size_t) { return !Stopped(); };
    for (size_t i = 0; i < targets.size(); ++i) {
        if (Stopped()) return false;
        const std::wstring path = installFolder_ + L"\\" + Utf8ToWide(targets[i].relative);
        bool ok = rar.Next(item) == 1 && item.name == rar.Items()[i].name;
        if (ok && targets[i].folder) {
            // A folder entry's data, if any, is still read: damage shows.
            ok = item.folder || rar.ReadData(nowhere);
            if (ok) CreateFolderTree(path);
        } else if (ok) {
            writer.Begin(path);
            ok = (item.folder || rar.ReadData(toWriter)) && writer.End();
        }
        if (!ok) {
            if (Stopped()) return false;
            if (writer.failure() != CEntryWriter::Failure::None) return ReportWriteFailure(writer), false;
            Fail(kErrRarUnpack + task.source, ERROR_BAD_FORMAT, kResultPackage);
            return false;
        }
        Progress(packageSize, i + 1, targets.size(), false);
    }
    return true;
}

bool CUnpackerThread::UnpackZip(const Task& task, ISimpleReadStream& stream, uint64_t packageSize,
                                CEntryWriter& writer) {
    CZipFile zip;
    const uint32_t opened = zip.Open(stream);
    if (opened != kZipOk) {
        Fail(kErrZipOpen + task.source, opened, kResultPackage);
        return false;
    }
    const auto& entries = zip.Entries();
    std::vector<EntryTarget> targets(entries.size());
    for (size_t i = 0; i < targets.size(); ++i) {
        if (!MakeEntryTarget(entries[i].name, targets[i]) ||
            !Inside(installFolder_ + L"\\" + Utf8ToWide(targets[i].relative), installFolder_)) {
            Fail(kErrZipUnpack + task.source, ERROR_BAD_PATHNAME, kResultPackage);
            return false;
        }
    }
    const auto toWriter = [&writer](const char* data, size_t length) { return writer.Add(data, length); };
    for (size_t i = 0; i < targets.size(); ++i) {
        if (Stopped()) return false;
        const std::wstring path = installFolder_ + L"\\" + Utf8ToWide(targets[i].relative);
        if (targets[i].folder) {
            CreateFolderTree(path);
        } else {
            writer.Begin(path);
            const uint32_t extracted = zip.Extract(i, toWriter);
            if (extracted == kZipErrAborted) return ReportWriteFailure(writer), false;
            if (extracted != kZipOk) {
                if (Stopped()) return false;
                Fail(kErrZipUnpack + task.source, extracted, kResultPackage);
                return false;
            }
            if (!writer.End()) return ReportWriteFailure(writer), false;
        }
        Progress(packageSize, i + 1, targets.size(), false);
    }
    return true;
}
