#pragma once
// What the downloader tells the launcher logic; every call arrives on the
// logic's (user-interface) thread. "body" is the answer of the finished
// request, valid only during the call.

#include "startup/buffer.h"

#include <cstdint>
#include <string>

class IUnk {
public:
    virtual ~IUnk() = default;
};

class IDownloaderNotify : public IUnk {
public:
    virtual void OnCudData(CBuffer& body) = 0;
    // After the size probe (0, size); during the KB download the running
    // total (size -1 when it could not be learnt).
    virtual void OnKbProgress(uint32_t received, int32_t size) = 0;
    virtual void OnKbData(CBuffer& body) = 0;
    virtual void OnLicenseData(CBuffer& body) = 0;
    virtual void OnUpdateXmlData(CBuffer& body) = 0;
    // The manifest's signature file (asked for only by a launcher with a
    // publisher key).
    virtual void OnSignatureData(CBuffer& body) = 0;
    // A piece of the part on its way, in order; the part's end follows
    // with OnUpdateData and the rest of its bytes.
    virtual void OnUpdatePiece(CBuffer& piece) = 0;
    // The part's end: what arrived after the last piece. partial: the part
    // failed after this much arrived.
    virtual void OnUpdateData(CBuffer& body, bool partial) = 0;
    // Called by the logic itself when a file needs no further part.
    virtual void OnUpdateFileDone() = 0;
    virtual void OnUpdateProgress(uint32_t bytes, bool add) = 0;
    virtual void OnKind6Complete() = 0;
    // text: the answer body for statuses 502 and 503, else empty.
    virtual void OnNetError(int errorKind, uint32_t errorCode, uint32_t httpStatus, const std::string& text) = 0;
};
