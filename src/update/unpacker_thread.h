#pragma once
// The package unpacker: keeps the downloaded parts of every package (with a
// running CRC-32, SHA-256 and byte count), writes them to the package
// files on a part-writer thread as they arrive and, on its own thread,
// unpacks queued packages (RAR or ZIP) or writes queued downloads as single
// files into the installation folder.
//
// The logic thread configures it, starts it once and then calls the part,
// task, Finish and Stop operations; the part writer only writes parts, and
// the unpacker thread only processes tasks and reports through messages to
// the logic's window:
// kProgressMessage (bytes unpacked so far: lParam, and on
// 32-bit builds the high half in wParam; see UnpackProgressBytes) and
// kFinishedMessage (0 all done, 1 a package failed, 2 a file
// could not be written). The task list, the package map, the flags and the
// error text are guarded by lock_, which the logic takes for every received
// part: it is held only for bookkeeping, never for file work. Reading and
// writing package files is serialised by fileLock_ instead, which the part
// writer takes for each write, the logic in ReadPackage and when it writes
// parts itself (beyond a limit of parts in memory); extraction holds no
// lock, so parts reach the disk while a package is unpacked. A package is
// unpacked from its file, read in pieces after its pending parts were
// written and its bytes checked against the received count and CRC-32, so
// memory does not grow with the package. The stop flag is atomic: reads
// and writes ask it between chunks and extraction between entries, so the
// thread meets its stop limit.

#include "startup/buffer.h"
#include "startup/handle.h"
#include "startup/thread.h"
#include "startup/wakeable_thread.h"
#include "startup/window_messages.h"
#include "startup/critical_section.h"
#include "startup/simple_read_stream.h"
#include "update/sha256_digest.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

// The byte count a progress message carries.
inline uint64_t UnpackProgressBytes(WPARAM w, LPARAM l) { return uint64_t(uint32_t(l)) | uint64_t(uint32_t(w)) << 32; }

class CEntryWriter;

class CUnpackerThread : public CThread {
public:
    // Posted to the configured window (see above).
    static constexpr UINT kFinishedMessage = eWindowsMessage_UnpackFinished;
    static constexpr UINT kProgressMessage = eWindowsMessage_UnpackProgress;
    CUnpackerThread();
    ~CUnpackerThread() override;

    // Before Start. `installFolder` without trailing backslash.
    void Configure(const std::wstring& installFolder, HWND window, bool startOnFirstTask, bool ignoreWriteErrors);
    bool Start() override;
    // Sets the stop flag, wakes the thread, waits up to `limit` ms for it and
    // for the part writer, then writes pending parts to disk (not after a
    // forced end: the thread may have died holding a lock).
    bool Stop(DWORD limit) override;

    // Takes over the storage of `part` (its first `length` bytes). The first
    // call for a package starts from the package file already on disk,
    // read before the lock is taken.
    bool AddFilePart(const std::wstring& package, CBuffer& part, uint32_t length);
    // False when the package is unknown.
    bool GetPackageInfo(const std::wstring& package, uint32_t& crc, uint64_t& bytes) const;
    // The SHA-256 of the package's bytes so far, counted with the CRC-32 as
    // the parts arrive (the file is not read again). False when unknown.
    bool GetPackageSha256(const std::wstring& package, Sha256Digest& digest) const;
    // Frees pending parts and restarts the count
    // (the logic deletes the package file before downloading it again;
    // parts on their way to disk meanwhile are dropped, and the file is
    // written shared for deleting so that the deletion succeeds).
    void ForgetParts(const std::wstring& package);
    void AddPackageTask(const std::wstring& package);
    // `target`: relative to the installation folder, or a full path.
    void AddFileTask(const std::wstring& source, const std::wstring& target);
    // Posts UnpackFinished(0) once every queued task is done.
    void Finish();
    // After a background download handed back: queued tasks start at once.
    void ResumeWork();
    // Writes the pending parts of every package not unpacked yet.
    void FlushParts() { Flush(); }

    // The package's bytes: the file on disk followed by the parts still in
    // memory. False when they cannot be read or do not add up. Waits for
    // file work of the unpacker thread in progress.
    // Meant for small downloads (the launcher): packages are unpacked from
    // their files in pieces instead.
    bool ReadPackage(const std::wstring& package, std::string& data) { return AssemblePackage(package, data); }

    std::wstring ErrorText() const;
    DWORD ErrorValue() const;
    uint64_t UnpackedBytes() const;

private:
    struct PackageRecord {
        uint32_t crc = 0;
        uint64_t bytes = 0;
        CSha256 sha;
        std::vector<std::unique_ptr<CBuffer>> parts;
        bool unpacked = false;
        // Counts ForgetParts: parts written meanwhile belong to the old download.
        uint64_t epoch = 0;
    };
    struct Task {
        std::wstring source;
        std::wstring target;
        bool package = true;
    };
    using CLock = CCriticalSection::Scope;

    void Run() override;
    // Writes every pending part, after file work of another thread.
    void Flush();
    void AddTask(Task task);
    bool Stopped() const { return stopped_; }
    bool ProcessTask(const Task& task);
    bool AssemblePackage(const std::wstring& package, std::string& data);
    // Writes the package's pending parts, opens its file against writers
    // and checks it against the received count and CRC-32 (a mismatch
    // deletes the file and forgets the package, so that it is fetched
    // again).
    bool OpenPackage(const std::wstring& package, CFile& file, uint64_t& size);
    // These read the package in pieces and return false after reporting
    // a failure (or at a stop).
    bool CopyPackage(const Task& task, ISimpleReadStream& stream, uint64_t packageSize, CEntryWriter& writer);
    bool UnpackRar(const Task& task, ISimpleReadStream& stream, uint64_t packageSize, CEntryWriter& writer);
    bool UnpackZip(const Task& task, ISimpleReadStream& stream, uint64_t packageSize, CEntryWriter& writer);
    void ReportWriteFailure(const CEntryWriter& writer);
    void Progress(uint64_t packageSize, size_t done, size_t total, bool force);
    // Records the error, stops, flushes and posts UnpackFinished(result).
    void Fail(const std::wstring& text, DWORD value, LPARAM result);
    void Post(UINT message, WPARAM w, LPARAM l) const;

    mutable CCriticalSection lock_;
    CCriticalSection fileLock_;
    CHandle workEvent_;
    std::wstring installFolder_;
    HWND window_ = nullptr;
    bool startOnFirstTask_ = true;
    bool ignoreWriteErrors_ = false;
    std::atomic<bool> stopped_{false};
    bool finishWhenEmpty_ = false;
    bool partsNeedFlushing_ = false;
    std::wstring errorText_;
    DWORD errorValue_ = 0;
    uint64_t unpackedBytes_ = 0;
    std::deque<Task> tasks_;
    std::map<std::wstring, PackageRecord> packages_;
    // Unpacker thread only.
    ULONGLONG lastProgress_ = 0;
    // Last, so that it is gone before the state its job writes.
    CWakeableThread partWriter_{"part writer", [this] { Flush(); }};
};
