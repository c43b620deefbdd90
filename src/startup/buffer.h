#pragma once
// Growable byte buffer carrying bodies, download parts, log blocks and
// status records. Not thread-safe: one owner at a time; ownership moves
// between threads only inside posted messages.

#include <cstddef>
#include <cstdint>
#include <string>

class CBufferBase {
public:
    CBufferBase() = default;
    CBufferBase(const CBufferBase&) = delete;
    CBufferBase& operator=(const CBufferBase&) = delete;
    virtual ~CBufferBase();

    // Sets the capacity to n bytes (0 frees everything). When growing with a
    // grow step above 1, n is rounded up to a multiple of the step. A large
    // block reused from the block cache may be up to twice n. The length is
    // cut to n when larger. False when memory runs out.
    virtual bool reserve(uint32_t n);
    // Appends n bytes; returns n, or 0 when growing failed.
    virtual uint32_t append(const void* data, uint32_t n);
    virtual void release();
    virtual void clear();
    virtual bool ensure_free(uint32_t n);
    virtual void copy_out(void* dst, uint32_t n) const;
    // Takes over other's block, leaving other empty.
    virtual void take(CBufferBase& other);
    virtual int32_t find(uint8_t byte) const;
    virtual uint8_t* data();
    virtual uint8_t* at(uint32_t i);
    virtual uint32_t length() const;
    virtual uint32_t free_space() const;
    // Pointer just past the used bytes when at least n bytes are free.
    virtual uint8_t* write_pointer(uint32_t n);
    virtual bool commit(uint32_t n);
    virtual void to_string(std::string& s) const;
    virtual void to_wide_string(std::wstring& s) const;
    // Appends zero byte(s) not counted in the length; returns the data.
    virtual uint8_t* terminate();
    virtual uint8_t* terminate_wide();
    // XORs bytes [offset, offset+n) with the key cycling from key_position.
    // Returns the next key position, or -1 when the range is outside the
    // used bytes or key_position is not below key_length.
    virtual int32_t xor_range(uint32_t offset, uint32_t n, const uint8_t* key,
                              uint32_t key_length, uint32_t key_position);

    uint32_t capacity() const { return capacity_; }
    void set_grow_step(uint32_t step) { growStep_ = step; }
    uint32_t grow_step() const { return growStep_; }

protected:
    uint32_t capacity_ = 0;
    uint32_t length_ = 0;
    uint8_t* data_ = nullptr;
    uint32_t growStep_ = 0;  // 0 or 1: exact sizes
};

class CBuffer : public CBufferBase {
public:
    CBuffer() = default;
    explicit CBuffer(uint32_t growStep) { growStep_ = growStep; }
};

// The buffer's bytes as a string (empty for an empty buffer).
inline std::string BufferString(CBuffer& b) {
    return b.length() ? std::string(reinterpret_cast<const char*>(b.data()), b.length()) : std::string();
}
