#pragma once
// The CRC-32 an update manifest carries for a file: the launcher's
// one-shot Crc32 over the whole content. For an empty file that is
// 0xFFFFFFFF (4294967295), not the 0 of the plain CRC-32 of nothing: the
// integrity checker hashes files with Crc32, so manifests carry the same
// value and need no special case. Fed in pieces here, so large files need
// not be held in memory. Portable.

#include <cstddef>
#include <cstdint>

class CContentCrc {
public:
    void Add(const void* data, size_t length);
    uint32_t Value() const;
    uint64_t Size() const { return size_; }

private:
    uint32_t crc_ = 0;
    uint64_t size_ = 0;
};
