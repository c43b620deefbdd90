#pragma once
// General-purpose file log writer (the HTTP trace log is built on it).
// Used by one thread at a time (the transport thread for trace logs).

#include "handle.h"

#include <cstdint>
#include <string>

class CLog {
public:
    CLog() = default;
    CLog(const CLog&) = delete;
    CLog& operator=(const CLog&) = delete;
    virtual ~CLog();

    // Writes `length` bytes; a block above maxBlock (when not 0) is cut and
    // followed by " ...block is too large...".
    virtual bool Write(const void* data, uint32_t length);
    // Moves a non-empty file aside as "<path>.NNN" and starts a fresh one.
    virtual bool Rotate();
    // Open (only when none is open): creates the folder up to the last
    // separator (one level), opens or creates the file, moves to its end.
    // The ANSI form converts once; the file is always reached by its wide
    // name, so folders outside the ANSI code page work.
    virtual bool OpenA(const std::string& path);
    virtual bool OpenW(const std::wstring& path);
    virtual void Close();

    bool IsOpen() const { return file_.IsValid(); }
    void SetMaxBlock(uint32_t maxBlock) { maxBlock_ = maxBlock; }
    void SetFlushEachRecord(bool flush) { flushEachRecord_ = flush; }

    static const char kTooLarge[];      // " ...block is too large..."
    static constexpr uint32_t kTooLargeLength = 25;

protected:
    // Appends raw bytes to the file.
    bool Append(const void* data, uint32_t length);
    void AfterRecord();

    CFile file_;
    std::wstring path_;
    uint8_t flushEachRecord_ = 1;
    uint32_t maxBlock_ = 0;
};
