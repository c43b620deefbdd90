#include "entry_writer.h"

#include "startup/folders.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr DWORD kIoChunk = 1u << 24;
// Pieces of at least this size cost less written on their own than copied.
constexpr size_t kDirectWrite = size_t(256) << 10;

}  // namespace

bool WriteAllBytes(HANDLE file, const char* data, uint64_t length, const std::atomic<bool>* stop) {
    while (length) {
        if (stop && *stop) return false;
        const DWORD chunk = DWORD(length < kIoChunk ? length : kIoChunk);
        DWORD written = 0;
        if (!WriteFile(file, data, chunk, &written, nullptr) || written != chunk) return false;
        data += chunk;
        length -= chunk;
    }
    return true;
}

void CEntryWriter::Begin(const std::wstring& path) {
    path_ = path;
    held_.clear();
    file_.Reset();
    mode_ = Mode::Unopened;
    failure_ = Failure::None;
    error_ = createError_ = 0;
}

bool CEntryWriter::Fail(Failure failure, DWORD error) {
    file_.Reset();
    if (stop_) return false;
    failure_ = failure;
    error_ = error;
    return false;
}

bool CEntryWriter::Add(const char* data, size_t length) {
    if (stop_) return false;
    // A large entry already on its way to the target needs no copy.
    if (mode_ == Mode::Writing && held_.empty() && length >= kDirectWrite) return Write(data, length);
    held_.insert(held_.end(), data, data + length);
    return held_.size() < kHeld || Spill();
}

bool CEntryWriter::End() {
    if (!Spill()) return false;
    // A locked target holding more than the entry is another file.
    if (mode_ == Mode::Comparing) {
        char more;
        DWORD got = 0;
        if (!ReadFile(file_.Get(), &more, 1, &got, nullptr) || got) return Fail(Failure::Create, createError_);
    }
    file_.Reset();
    return true;
}

bool CEntryWriter::Open() {
    // The folder is made only when the file cannot be created: most entries
    // land in a folder that exists, and walking every level of the path per
    // file costs more than writing a small file.
    const auto create = [this] {
        file_.Reset(CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        return file_.IsValid();
    };
    const size_t slash = path_.rfind(L'\\');
    if (!create() && slash != std::wstring::npos) {
        CreateFolderTree(path_.substr(0, slash));
        create();
    }
    if (file_.IsValid()) {
        mode_ = Mode::Writing;
        return true;
    }
    createError_ = GetLastError();
    if (ignoreWriteErrors_) {
        mode_ = Mode::Discarding;
        return true;
    }
    // It may be open for writing elsewhere.
    file_.Reset(CreateFileW(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file_.IsValid()) return Fail(Failure::Create, createError_);
    mode_ = Mode::Comparing;
    return true;
}

bool CEntryWriter::Write(const char* data, size_t length) {
    if (WriteAllBytes(file_.Get(), data, length, &stop_)) return true;
    const DWORD error = GetLastError();
    if (stop_) return false;
    if (!ignoreWriteErrors_) return Fail(Failure::Write, error);
    file_.Reset();
    mode_ = Mode::Discarding;
    return true;
}

bool CEntryWriter::Spill() {
    if (stop_) return false;
    if (mode_ == Mode::Unopened && !Open()) return false;
    if (mode_ == Mode::Writing && !Write(held_.data(), held_.size())) return false;
    if (mode_ == Mode::Comparing) {
        compared_.resize(held_.size());
        for (size_t at = 0; at < held_.size();) {
            if (stop_) return false;
            const DWORD chunk = DWORD(std::min<size_t>(held_.size() - at, kIoChunk));
            DWORD got = 0;
            if (!ReadFile(file_.Get(), compared_.data() + at, chunk, &got, nullptr) || got != chunk ||
                std::memcmp(compared_.data() + at, held_.data() + at, chunk) != 0)
                return Fail(Failure::Create, createError_);
            at += chunk;
        }
    }
    held_.clear();
    return true;
}
