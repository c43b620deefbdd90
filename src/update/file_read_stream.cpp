#include "file_read_stream.h"

#include <cstring>

bool CFileReadStream::Seek(int64_t offset, int origin) {
    const int64_t base = origin == 1 ? size_ : origin == 2 ? 0 : position_;
    const int64_t target = base + offset;
    if (target < 0 || target > size_) return false;
    position_ = target;
    return true;
}

bool CFileReadStream::Read(void* buffer, int64_t length, int64_t* got) {
    if (got) *got = 0;
    if (!buffer || length <= 0 || position_ >= size_) return false;
    const int64_t n = length < size_ - position_ ? length : size_ - position_;
    if (filePosition_ != position_) {
        LARGE_INTEGER to;
        to.QuadPart = position_;
        if (!SetFilePointerEx(file_, to, nullptr, FILE_BEGIN)) return false;
        filePosition_ = position_;
    }
    char* out = static_cast<char*>(buffer);
    for (int64_t done = 0; done < n;) {
        const DWORD chunk = DWORD(n - done < (int64_t(1) << 30) ? n - done : int64_t(1) << 30);
        DWORD read = 0;
        if (!ReadFile(file_, out + done, chunk, &read, nullptr) || read == 0) {
            filePosition_ = -1;
            return false;
        }
        done += read;
        filePosition_ += read;
    }
    std::memset(out + n, 0, size_t(length - n));
    position_ += n;
    if (got) *got = n;
    return true;
}
