#include "system/copy_whole_file.h"

#include "startup/handle.h"

#include <string>

namespace {

bool ReadAll(const std::wstring& path, std::string& bytes) {
    CFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    LARGE_INTEGER size{};
    if (!file.IsValid() || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > (1ll << 30)) return false;
    bytes.resize(size_t(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), &bytes[done], DWORD(bytes.size() - done), &got, nullptr) || !got) return false;
        done += got;
    }
    return true;
}

}  // namespace

bool CopyWholeFile(const std::wstring& source, const std::wstring& destination) {
    std::string bytes;
    if (!ReadAll(source, bytes)) return false;
    const std::wstring staging = destination + L".new";
    {
        CFile out(CreateFileW(staging.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!out.IsValid()) return false;
        DWORD written = 0;
        if (!WriteFile(out.Get(), bytes.data(), DWORD(bytes.size()), &written, nullptr) || written != bytes.size()) {
            out.Reset();
            DeleteFileW(staging.c_str());
            return false;
        }
    }
    const DWORD attributes = GetFileAttributesW(destination.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
        SetFileAttributesW(destination.c_str(), attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (MoveFileExW(staging.c_str(), destination.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return true;
    DeleteFileW(staging.c_str());
    return false;
}
