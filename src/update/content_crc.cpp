#include "content_crc.h"

#include "startup/crc32.h"

void CContentCrc::Add(const void* data, size_t length) {
    crc_ = Crc32Continue(data, length, crc_);
    size_ += length;
}

uint32_t CContentCrc::Value() const { return size_ == 0 ? Crc32(nullptr, 0) : crc_; }
