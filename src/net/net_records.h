#pragma once
// Records travelling between a network client and the transport thread.
// Each belongs to whoever holds it last: the sender until posting, the
// receiver from then on.

#include "startup/buffer.h"

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

namespace NetEx {

// Request id used in error records about a whole context.
constexpr uint32_t kWholeContext = 0x80000000u;

// Handed to CNetClient::OnError.
struct ErrorRecord {
    enum Kind : uint32_t { kRootNotOpen = 1, kContextNotCreated = 2, kNotFound = 3 };
    uint32_t kind = 0;
    uint32_t errorCode = 0;  // WinINet or system code, 0 when none
    uint32_t reserved = 0;
    int32_t contextId = 0;
    uint32_t requestId = kWholeContext;
};

// Handed to CNetClient::OnStatistics.
struct StatisticsRecord {
    uint64_t bytesSent = 0;
    uint64_t bytesReceived = 0;
    uint8_t reserved[16] = {};
};

// Made by the WinINet status callback, consumed on the transport thread.
struct StatusRecord {
    HINTERNET handle = nullptr;
    DWORD_PTR contextValue = 0;
    uint32_t status = 0;
    CBuffer info;
};

// Arguments of OpenInternet; empty proxy strings go to WinINet as null.
struct OpenRecord {
    std::string agent;
    uint32_t accessType = INTERNET_OPEN_TYPE_PRECONFIG;
    std::string proxy;
    std::string proxyBypass;
};

// HTTP trace settings; the transport owns the record it was given.
struct TraceConfig {
    uint8_t enabled = 0;
    uint8_t flushEachRecord = 0;
    std::wstring directory;  // ends with a backslash
    uint32_t reserved = 0;
    CBuffer key;             // empty: plain files
    uint32_t bufferSize = 4096;
    uint32_t maxBlock = 4096;
};

// {context id, request id} of CancelRequest.
struct CancelRecord {
    int32_t contextId = 0;
    int32_t requestId = 0;
};

// Clock reference of the trace logs' timestamps.
struct ClockReference {
    int64_t correctionMs = 0;
    int32_t biasSeconds = 0;
};

}  // namespace NetEx
