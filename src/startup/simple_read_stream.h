#pragma once
// Read streams over byte blocks (string tables, pictures and packages read
// from memory). One owner at a time.

#include <cstdint>
#include <string>

class ISimpleReadStream {
public:
    virtual ~ISimpleReadStream() = default;
    // origin 1 = from the end, 2 = from the start, other = from the current
    // position. Fails without moving when the result lies outside 0..size.
    virtual bool Seek(int64_t offset, int origin) = 0;
    // Fails for no buffer, length <= 0 or a position at the end; otherwise
    // zero-fills the buffer, copies what is there (a short read succeeds)
    // and advances. `got` receives the bytes copied.
    virtual bool Read(void* buffer, int64_t length, int64_t* got = nullptr) = 0;
    virtual int64_t Position() const = 0;
    virtual void Close() = 0;
};

class CSimpleMemReadStream : public ISimpleReadStream {
public:
    explicit CSimpleMemReadStream(std::string block) : block_(std::move(block)) {}
    bool Seek(int64_t offset, int origin) override;
    bool Read(void* buffer, int64_t length, int64_t* got = nullptr) override;
    int64_t Position() const override { return position_; }
    void Close() override;
    int64_t Size() const { return int64_t(block_.size()); }

private:
    std::string block_;
    int64_t position_ = 0;
};
