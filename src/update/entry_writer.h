#pragma once
// Writes one unpacked entry (or a downloaded file) to its target as its
// bytes arrive, so memory stays bounded whatever the entry's size. Entries
// of up to kHeld bytes are kept until they are complete and checked: a
// damaged small entry never touches its target. Larger ones reach the disk
// in pieces; a later failure leaves the target damaged, which the next
// check finds. A target that cannot be created (a running program holds
// it) counts as written when it already holds the same bytes, or whenever
// write errors are ignored. The target's folder is made when the file is.
// Unpacker thread only.

#include "startup/handle.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// Writes `length` bytes in chunks; `stop` (null: none) is asked before each.
bool WriteAllBytes(HANDLE file, const char* data, uint64_t length, const std::atomic<bool>* stop);

class CEntryWriter {
public:
    static constexpr size_t kHeld = size_t(4) << 20;
    enum class Failure { None, Create, Write };

    // `stop` ends the writing quietly (Add and End return false, failure None).
    CEntryWriter(const std::atomic<bool>& stop, bool ignoreWriteErrors) : stop_(stop), ignoreWriteErrors_(ignoreWriteErrors) {}
    // Starts on a new target; the previous one is left as it is.
    void Begin(const std::wstring& path);
    bool Add(const char* data, size_t length);
    // Writes what is held and closes the target.
    bool End();
    // Why Add or End returned false, and the error value.
    Failure failure() const { return failure_; }
    DWORD error() const { return error_; }
    const std::wstring& path() const { return path_; }

private:
    enum class Mode { Unopened, Writing, Comparing, Discarding };
    bool Open();
    bool Spill();
    // Writes to the open target; a write error with errors ignored turns to
    // discarding the rest.
    bool Write(const char* data, size_t length);
    bool Fail(Failure failure, DWORD error);

    const std::atomic<bool>& stop_;
    const bool ignoreWriteErrors_;
    std::wstring path_;
    std::vector<char> held_;
    std::vector<char> compared_;
    CFile file_;
    Mode mode_ = Mode::Unopened;
    Failure failure_ = Failure::None;
    DWORD error_ = 0;
    DWORD createError_ = 0;
};
