#include "file_crc.h"

#include "startup/crc32.h"
#include "startup/handle.h"

#include <memory>

bool FileCrc(const std::wstring& path, uint32_t& crc, uint64_t& size, DWORD& error,
             const std::function<bool()>& stopped) {
    constexpr DWORD kChunk = 1u << 20;
    crc = 0;
    size = 0;
    error = 0;
    CFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.IsValid()) {
        error = GetLastError();
        return false;
    }
    // One buffer per thread: allocating a fresh 1 MiB block per file costs
    // far more than hashing small files.
    thread_local std::unique_ptr<uint8_t[]> buffer(new uint8_t[kChunk]);
    for (;;) {
        if (stopped && stopped()) {
            error = ERROR_OPERATION_ABORTED;
            return false;
        }
        DWORD got = 0;
        if (!ReadFile(file.Get(), buffer.get(), kChunk, &got, nullptr)) {
            error = GetLastError();
            return false;
        }
        if (!got) break;
        crc = Crc32Continue(buffer.get(), got, crc);
        size += got;
    }
    if (!size) crc = Crc32(nullptr, 0);
    return true;
}
