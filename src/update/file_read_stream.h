#pragma once
// A read stream over an open file (a package in tmp\), so archive readers
// take it piece by piece instead of as one block in memory. It does not own
// the handle; the file must not change size while the stream is used. One
// thread at a time.

#include "startup/simple_read_stream.h"

#include <windows.h>

class CFileReadStream : public ISimpleReadStream {
public:
    CFileReadStream(HANDLE file, int64_t size) : file_(file), size_(size) {}
    bool Seek(int64_t offset, int origin) override;
    // A file that turns out shorter than its size fails the read.
    bool Read(void* buffer, int64_t length, int64_t* got = nullptr) override;
    int64_t Position() const override { return position_; }
    void Close() override { position_ = 0; }

private:
    HANDLE file_;
    int64_t size_;
    int64_t position_ = 0;
    // Where the file pointer stands: sequential reads need no seek.
    int64_t filePosition_ = -1;
};
