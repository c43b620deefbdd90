#include "file_log.h"

#include "text.h"

#include <cwchar>

const char CLog::kTooLarge[] = " ...block is too large...";

CLog::~CLog() { Close(); }

bool CLog::Append(const void* data, uint32_t length) {
    DWORD written = 0;
    return WriteFile(file_.Get(), data, length, &written, nullptr) && written == length;
}

void CLog::AfterRecord() {
    if (flushEachRecord_) FlushFileBuffers(file_.Get());
}

bool CLog::Write(const void* data, uint32_t length) {
    if (!IsOpen()) return false;
    bool ok;
    if (maxBlock_ != 0 && maxBlock_ < length)
        ok = Append(data, maxBlock_) && Append(kTooLarge, kTooLargeLength);
    else
        ok = Append(data, length);
    AfterRecord();
    return ok;
}

bool CLog::OpenA(const std::string& path) { return OpenW(AnsiToWide(path)); }

bool CLog::OpenW(const std::wstring& path) {
    if (IsOpen()) return false;
    path_ = path;
    const size_t sep = path.find_last_of(L"\\/");
    if (sep != std::wstring::npos) CreateDirectoryW(path.substr(0, sep).c_str(), nullptr);
    file_.Reset(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!IsOpen()) return false;
    SetFilePointer(file_.Get(), 0, nullptr, FILE_END);
    return true;
}

bool CLog::Rotate() {
    if (!IsOpen() || path_.empty()) return false;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file_.Get(), &size) && size.QuadPart == 0) return true;
    file_.Reset();
    bool moved = false;
    for (int i = 0; i < 100 && !moved; ++i) {
        wchar_t number[8];
        swprintf(number, 8, L".%03d", i);
        const std::wstring aside = path_ + number;
        if (GetFileAttributesW(aside.c_str()) == INVALID_FILE_ATTRIBUTES)
            moved = MoveFileW(path_.c_str(), aside.c_str()) != 0;
    }
    // With every side name taken the records go on at the end of the file
    // itself: a log that keeps running beats one that stops.
    file_.Reset(CreateFileW(path_.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!IsOpen()) return false;
    SetFilePointer(file_.Get(), 0, nullptr, FILE_END);
    return true;
}

void CLog::Close() { file_.Reset(); }
