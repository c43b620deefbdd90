#include "safe_write.h"

#include "startup/handle.h"

#include <windows.h>

namespace {

constexpr size_t kChunk = 1u << 24;

bool WriteAll(HANDLE file, const char* data, size_t length) {
    while (length) {
        const DWORD chunk = DWORD(length < kChunk ? length : kChunk);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        length -= chunk;
    }
    return true;
}

}  // namespace

std::wstring SafeWriteNeighbour(const std::wstring& path) { return path + L".new"; }

bool WriteFileSafely(const std::wstring& path, const void* data, size_t length) {
    const std::wstring neighbour = SafeWriteNeighbour(path);
    bool written;
    {
        CFile file(CreateFileW(neighbour.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        if (!file.IsValid()) return false;
        // Flushed before the move: the rename must not reach the disk
        // ahead of the bytes it publishes.
        written = WriteAll(file.Get(), static_cast<const char*>(data), length) && FlushFileBuffers(file.Get());
    }
    if (written && MoveFileExW(neighbour.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = GetLastError();
    DeleteFileW(neighbour.c_str());
    SetLastError(error);
    return false;
}
