#include "buffer.h"

#include "block_cache.h"

#include <cstdlib>
#include <cstring>

CBufferBase::~CBufferBase() { ReleaseBlock(data_, capacity_); }

bool CBufferBase::reserve(uint32_t n) {
    if (n == 0) {
        release();
        return true;
    }
    if (n > capacity_ && growStep_ > 1) {
        const uint64_t rounded = (uint64_t(n) + growStep_ - 1) / growStep_ * growStep_;
        if (rounded <= UINT32_MAX) n = uint32_t(rounded);
    }
    if (n == capacity_) return true;
    uint32_t capacity = n;
    uint8_t* block = static_cast<uint8_t*>(TakeCachedBlock(n, capacity));
    if (!block) block = static_cast<uint8_t*>(std::malloc(n));
    if (!block) return false;
    if (length_ > n) length_ = n;
    if (length_) std::memcpy(block, data_, length_);
    ReleaseBlock(data_, capacity_);
    data_ = block;
    capacity_ = capacity;
    return true;
}

uint32_t CBufferBase::append(const void* data, uint32_t n) {
    if (n == 0) return 0;
    if (uint64_t(length_) + n > UINT32_MAX) return 0;
    if (!ensure_free(n)) return 0;
    std::memcpy(data_ + length_, data, n);
    length_ += n;
    return n;
}

void CBufferBase::release() {
    ReleaseBlock(data_, capacity_);
    data_ = nullptr;
    capacity_ = 0;
    length_ = 0;
}

void CBufferBase::clear() { length_ = 0; }

bool CBufferBase::ensure_free(uint32_t n) {
    if (uint64_t(length_) + n > UINT32_MAX) return false;
    if (capacity_ >= length_ + n) return true;
    return reserve(length_ + n);
}

void CBufferBase::copy_out(void* dst, uint32_t n) const {
    if (n > length_) n = length_;
    if (n) std::memcpy(dst, data_, n);
}

void CBufferBase::take(CBufferBase& other) {
    if (&other == this) return;
    release();
    data_ = other.data_;
    capacity_ = other.capacity_;
    length_ = other.length_;
    other.data_ = nullptr;
    other.capacity_ = 0;
    other.length_ = 0;
}

int32_t CBufferBase::find(uint8_t byte) const {
    if (!length_) return -1;
    const void* p = std::memchr(data_, byte, length_);
    return p ? int32_t(static_cast<const uint8_t*>(p) - data_) : -1;
}

uint8_t* CBufferBase::data() { return data_; }

uint8_t* CBufferBase::at(uint32_t i) { return i < length_ ? data_ + i : nullptr; }

uint32_t CBufferBase::length() const { return length_; }

uint32_t CBufferBase::free_space() const { return capacity_ - length_; }

uint8_t* CBufferBase::write_pointer(uint32_t n) {
    return free_space() >= n && data_ ? data_ + length_ : nullptr;
}

bool CBufferBase::commit(uint32_t n) {
    if (free_space() < n) return false;
    length_ += n;
    return true;
}

void CBufferBase::to_string(std::string& s) const {
    s.assign(reinterpret_cast<const char*>(data_), length_);
}

void CBufferBase::to_wide_string(std::wstring& s) const {
    // Wire texts are UTF-16; on a platform with wider wchar_t each 16-bit
    // unit still becomes one character.
    s.resize(length_ / 2);
    for (uint32_t i = 0; i < length_ / 2; ++i)
        s[i] = wchar_t(data_[2 * i] | (data_[2 * i + 1] << 8));
}

uint8_t* CBufferBase::terminate() {
    if (!ensure_free(1)) return nullptr;
    data_[length_] = 0;
    return data_;
}

uint8_t* CBufferBase::terminate_wide() {
    if (!ensure_free(2)) return nullptr;
    data_[length_] = 0;
    data_[length_ + 1] = 0;
    return data_;
}

int32_t CBufferBase::xor_range(uint32_t offset, uint32_t n, const uint8_t* key,
                               uint32_t key_length, uint32_t key_position) {
    if (uint64_t(offset) + n > length_ || key_position >= key_length) return -1;
    for (uint32_t i = 0; i < n; ++i) {
        data_[offset + i] ^= key[key_position];
        if (++key_position == key_length) key_position = 0;
    }
    return int32_t(key_position);
}
