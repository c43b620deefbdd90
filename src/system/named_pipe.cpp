#include "system/named_pipe.h"

#include "system/owner_only_descriptor.h"

#include <algorithm>

bool CNamedPipe::Create(const std::wstring& name) {
    if (handle_.IsValid() && name_ == name) return true;
    Close();
    COwnerOnlyDescriptor access;
    if (!access.Build()) return false;
    // First instance only: a pipe of this name someone else made first
    // would hear the records and answer in the assistant's place. The flag
    // decides; the look beforehand covers systems that ignore it (Wine).
    if (WaitNamedPipeW(name.c_str(), NMPWAIT_NOWAIT) || GetLastError() != ERROR_FILE_NOT_FOUND) return false;
    HANDLE h = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 1024, 1024, 0, access.Attributes());
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_.Reset(h);
    name_ = name;
    return true;
}

bool CNamedPipe::Open(const std::wstring& name) {
    Close();
    for (int attempt = 0; attempt < 5; ++attempt) {
        HANDLE h = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            handle_.Reset(h);
            name_ = name;
            return true;
        }
        if (GetLastError() != ERROR_PIPE_BUSY) return false;
        if (!WaitNamedPipeW(name.c_str(), 10000)) return false;
    }
    return false;
}

bool CNamedPipe::Write(const void* buffer, size_t n) {
    if (!handle_.IsValid()) return false;
    DWORD written = 0;
    return WriteFile(handle_.Get(), buffer, DWORD(n), &written, nullptr) != 0;
}

bool CNamedPipe::Read(void* buffer, size_t n) {
    if (!handle_.IsValid()) return false;
    auto* bytes = static_cast<uint8_t*>(buffer);
    size_t got = 0;
    while (got < n) {
        DWORD read = 0;
        const BOOL ok = ReadFile(handle_.Get(), bytes + got, DWORD(n - got), &read, nullptr);
        got += read;
        if (!ok && GetLastError() != ERROR_MORE_DATA) break;
        // A successful read of nothing means the writer closed its end.
        if (ok && read == 0) break;
    }
    return got == n;
}

size_t CNamedPipe::ReadWithin(void* buffer, size_t n, DWORD ms) {
    if (!handle_.IsValid()) return 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    const ULONGLONG deadline = GetTickCount64() + ms;
    size_t got = 0;
    while (got < n) {
        DWORD available = 0;
        if (!PeekNamedPipe(handle_.Get(), nullptr, 0, nullptr, &available, nullptr)) break;
        if (available == 0) {
            if (GetTickCount64() >= deadline) break;
            Sleep(10);
            continue;
        }
        DWORD read = 0;
        const BOOL ok = ReadFile(handle_.Get(), bytes + got, DWORD(std::min<size_t>(n - got, available)), &read, nullptr);
        got += read;
        if (!ok && GetLastError() != ERROR_MORE_DATA) break;
    }
    return got;
}

bool CNamedPipe::Close() {
    name_.clear();
    if (handle_.IsValid()) {
        FlushFileBuffers(handle_.Get());
        DisconnectNamedPipe(handle_.Get());
        handle_.Reset();
    }
    return true;
}

std::wstring AssistantPipeName(const std::wstring& assistantPath) {
    return L"\\\\.\\pipe\\launcher_" + assistantPath.substr(assistantPath.rfind(L'\\') + 1);
}
