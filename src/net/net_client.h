#pragma once
// Base of every user of the transport (in the launcher: the downloader).
// Clients only post operation messages to the transport window; the
// transport calls the virtual callbacks below on its own thread.

#include "net/net_records.h"
#include "net/request_httx.h"
#include "startup/handle.h"

#include <windows.h>

#include <cstdint>

namespace NetEx {

class CNetTransport;

class CNetClient {
public:
    CNetClient();
    CNetClient(const CNetClient&) = delete;
    CNetClient& operator=(const CNetClient&) = delete;
    // Removes the client's contexts, waiting without limit while the
    // transport still runs.
    virtual ~CNetClient();

    // Callbacks, on the transport thread. Records and requests passed in
    // belong to the client; the defaults delete them.
    virtual void OnStatistics(StatisticsRecord* record) { delete record; }
    virtual void OnContextCreated(int32_t) {}
    virtual void OnContextModified(int32_t) {}
    virtual void OnContextDestroyed(int32_t) {}
    virtual void OnRequestProgress(IRequestHttx*) {}
    // A piece of a request's body (see IRequestHttx::SetPieceSize); the
    // client takes what it keeps, the rest is dropped.
    virtual void OnRequestPiece(IRequestHttx*, CBuffer&) {}
    virtual void OnRequestComplete(IRequestHttx* request) { delete request; }
    virtual void OnError(ErrorRecord* record) { delete record; }

    // Any thread. The transport is not owned; null detaches.
    void SetTransport(CNetTransport* transport) { transport_ = transport; }
    CNetTransport* transport() const { return transport_; }
    // Posts RemoveClientContexts and waits up to timeoutMs for it; false on
    // time-out or when there is no running transport.
    bool RemoveAllContexts(DWORD timeoutMs);
    // A new request, copied from `from` when given; *out is replaced.
    bool NewRequest(IRequestHttx*& out, const IRequestHttx* from = nullptr);
    // Hands the request to the transport (it owns it until it completes);
    // on failure the request is deleted.
    bool Send(IRequestHttx* request);

    // Set by the transport when it has removed this client's contexts.
    HANDLE removedEvent() const { return removed_.Get(); }

private:
    CNetTransport* transport_ = nullptr;
    CHandle removed_;
};

}  // namespace NetEx
