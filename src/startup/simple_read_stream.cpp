#include "simple_read_stream.h"

#include <cstring>

bool CSimpleMemReadStream::Seek(int64_t offset, int origin) {
    const int64_t base = origin == 1 ? Size() : origin == 2 ? 0 : position_;
    const int64_t target = base + offset;
    if (target < 0 || target > Size()) return false;
    position_ = target;
    return true;
}

bool CSimpleMemReadStream::Read(void* buffer, int64_t length, int64_t* got) {
    if (got) *got = 0;
    if (!buffer || length <= 0 || position_ >= Size()) return false;
    std::memset(buffer, 0, size_t(length));
    const int64_t n = length < Size() - position_ ? length : Size() - position_;
    std::memcpy(buffer, block_.data() + position_, size_t(n));
    position_ += n;
    if (got) *got = n;
    return true;
}

void CSimpleMemReadStream::Close() {
    block_.clear();
    block_.shrink_to_fit();
    position_ = 0;
}
