#pragma once
// One end of the launcher's pipe to its assistant. The launcher creates the
// server end, the assistant opens the client end; both use blocking byte
// mode. Used by one thread at a time: in the assistant the main thread
// reads the command and its data, then only the cancel watcher reads.

#include "startup/handle.h"

#include <windows.h>

#include <cstddef>
#include <string>

class CNamedPipe {
public:
    CNamedPipe() = default;
    CNamedPipe(const CNamedPipe&) = delete;
    CNamedPipe& operator=(const CNamedPipe&) = delete;
    ~CNamedPipe() { Close(); }

    // Server end, one instance, 1024-byte buffers, open to this user and
    // administrators only. Fails when a pipe of that name exists already,
    // whoever made it; succeeds at once when this object holds that name
    // (compared as written). The server never waits for the client.
    bool Create(const std::wstring& name);
    // Client end; retries a busy pipe after waiting up to 10 s for it, at
    // most 5 attempts. GetLastError() tells why it failed.
    bool Open(const std::wstring& name);
    // One WriteFile of n bytes.
    bool Write(const void* buffer, size_t n);
    // Reads until exactly n bytes have arrived or a read fails.
    bool Read(void* buffer, size_t n);
    // Like Read, but only takes what has arrived and gives up after `ms`:
    // for a peer that may announce more than it sends. Returns the bytes read.
    size_t ReadWithin(void* buffer, size_t n, DWORD ms);
    // Flushes, disconnects and closes; clears the name. Always true.
    bool Close();

    bool IsValid() const { return handle_.IsValid(); }
    HANDLE Handle() const { return handle_.Get(); }
    const std::wstring& Name() const { return name_; }

private:
    CFile handle_;
    std::wstring name_;
};

// "\\.\pipe\launcher_" + the file-name part of the assistant copy's path.
std::wstring AssistantPipeName(const std::wstring& assistantPath);
