#include "add_pkg.h"

#include "startup/handle.h"
#include "startup/safe_write.h"

#include <cstring>
#include <vector>

namespace {

constexpr size_t kMaxChars = CAddPkg::kRecordSize / 2 - 1;

void Record(const std::wstring& name, uint8_t (&record)[CAddPkg::kRecordSize]) {
    std::memset(record, 0, sizeof record);
    if (name.size() > kMaxChars) return;
    for (size_t i = 0; i < name.size(); ++i) {
        record[i * 2] = uint8_t(name[i] & 0xFF);
        record[i * 2 + 1] = uint8_t(name[i] >> 8);
    }
}

// Length of the file at `path`, or -1 when it cannot be opened.
int64_t FileLength(HANDLE file) {
    LARGE_INTEGER size;
    return GetFileSizeEx(file, &size) ? size.QuadPart : -1;
}

bool WriteAll(HANDLE file, const void* data, DWORD length) {
    DWORD written = 0;
    return WriteFile(file, data, length, &written, nullptr) && written == length;
}

}  // namespace

bool CAddPkg::Load() {
    addPackages_.clear();
    CFile file(CreateFileW(FilePath().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.IsValid()) return false;
    const int64_t length = FileLength(file.Get());
    if (length < 0 || length % kRecordSize) return false;
    uint8_t record[kRecordSize];
    for (int64_t i = 0; i < length / int64_t(kRecordSize); ++i) {
        DWORD got = 0;
        if (!ReadFile(file.Get(), record, sizeof record, &got, nullptr) || got != sizeof record) {
            addPackages_.clear();
            return false;
        }
        std::wstring name;
        for (size_t c = 0; c < kMaxChars; ++c) {
            const wchar_t ch = wchar_t(record[c * 2] | record[c * 2 + 1] << 8);
            if (!ch) break;
            name += ch;
        }
        if (!name.empty()) addPackages_.insert(name);
    }
    return true;
}

bool CAddPkg::Add(const std::wstring& name, bool onlyQuery) {
    if (addPackages_.count(name)) return true;
    if (onlyQuery) return false;
    addPackages_.insert(name);
    CFile file(CreateFileW(FilePath().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr));
    const int64_t length = file.IsValid() ? FileLength(file.Get()) : -1;
    if (length < 0 || length % kRecordSize) return false;
    uint8_t record[kRecordSize];
    Record(name, record);
    LARGE_INTEGER end{};
    if (SetFilePointerEx(file.Get(), end, nullptr, FILE_END)) WriteAll(file.Get(), record, sizeof record);
    return false;
}

bool CAddPkg::Save() {
    const std::wstring path = FilePath();
    {
        CFile existing(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        const int64_t length = existing.IsValid() ? FileLength(existing.Get()) : 0;
        if (length % kRecordSize) return false;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(addPackages_.size() * kRecordSize);
    uint8_t record[kRecordSize];
    for (const std::wstring& name : addPackages_) {
        Record(name, record);
        bytes.insert(bytes.end(), record, record + sizeof record);
    }
    return WriteFileSafely(path, bytes.data(), bytes.size());
}
