#pragma once
// Asynchronous HTTP(S) over WinINet on a worker thread with a hidden
// message window. Clients post the operation messages below; every WinINet
// call, every context and request, the counters and trace settings belong
// to the transport thread. The WinINet status callback (on WinINet's own
// threads) only copies the notification and posts it to the window.
//
// Created and started by the launcher logic; OpenInternet and CloseInternet
// are synchronous (the caller waits on syncEvent_). Only one transport may
// exist per process: the status callback finds it through one window handle.

#include "net/context_httx.h"
#include "net/net_client.h"
#include "net/net_records.h"
#include "startup/window_thread.h"

#include <atomic>
#include <list>
#include <memory>

namespace NetEx {

// Operation messages of the transport window (wParam / lParam).
enum ETransportMessage : UINT {
    tmSetClockReference = WM_USER + 0,    // correction (signed 32) / bias seconds
    tmQueryStatistics = WM_USER + 1,      // client / -
    tmRemoveClientContexts = WM_USER + 2, // client or null (all) / -
    tmOpenInternet = WM_USER + 3,         // - / OpenRecord* (caller keeps it)
    tmCloseInternet = WM_USER + 4,
    tmSetTraceConfig = WM_USER + 5,       // - / TraceConfig* (taken over)
    tmCreateContext = WM_USER + 6,        // client / CContextHttx* (taken over)
    tmModifyContext = WM_USER + 7,        // client / CContextHttx* template (consumed)
    tmDestroyContext = WM_USER + 8,       // client / context id
    tmSendRequest = WM_USER + 9,          // client / CRequestHttx* (taken over)
    tmCancelRequest = WM_USER + 10,       // client / CancelRecord* (consumed)
    tmStatusNotification = WM_USER + 12,  // - / StatusRecord*
};

class CNetTransportBase : public CWindowThread {
public:
    CNetTransportBase();
    ~CNetTransportBase() override;

    // Caller's thread. Waits without limit for the transport thread.
    bool OpenInternet(const OpenRecord& record);
    bool CloseInternet();
    // Takes ownership of the record in every case.
    bool SetTraceConfig(TraceConfig* config);
    bool IsRootOpen() const { return rootOpen_; }

    // Transport thread: holds a request whose handle was closed while
    // WinINet may still use its buffers, until the handle's closing notice.
    void KeepUntilClosed(std::unique_ptr<CRequestHttx> request);
    size_t closingCount() const { return closing_.size(); }

    // Transport thread: the byte counters every context feeds.
    void AddSent(uint64_t n) { sent_ += n; }
    void AddReceived(uint64_t n) { received_ += n; }
    uint64_t bytesSent() const { return sent_; }
    uint64_t bytesReceived() const { return received_; }

protected:
    LRESULT HandleOpenInternet(const OpenRecord* record);
    LRESULT HandleCloseInternet();
    // Destroys the contexts of `client` (all when null).
    virtual void RemoveContexts(CNetClient* client) = 0;

    CInternetHandle root_;
    std::atomic<bool> rootOpen_{false};
    std::unique_ptr<TraceConfig> trace_;
    uint64_t sent_ = 0;
    uint64_t received_ = 0;
    ClockReference clock_;
    std::list<std::unique_ptr<CRequestHttx>> closing_;
    uint8_t result_ = 0;
    CHandle syncEvent_;
};

class CHttxTransport : public virtual CNetTransportBase {
public:
    // Any thread: an empty context for `client`, stored in *out.
    bool NewContext(CNetClient* client, CContextHttx*& out);
    size_t contextCount() const { return contexts_.size(); }

protected:
    void RegisterHandlers();
    void RemoveContexts(CNetClient* client) override;
    CContextHttx* Find(CNetClient* client, int32_t id);
    void Error(CNetClient* client, uint32_t kind, uint32_t code, int32_t contextId, uint32_t requestId);

    void OnSetClock(int64_t correction, int32_t bias);
    void OnQueryStatistics(CNetClient* client);
    void OnRemoveClientContexts(CNetClient* client);
    void OnSetTraceConfig(TraceConfig* config);
    void OnCreateContext(CNetClient* client, CContextHttx* context);
    void OnModifyContext(CNetClient* client, CContextHttx* context);
    void OnDestroyContext(CNetClient* client, int32_t id);
    void OnSendRequest(CNetClient* client, CRequestHttx* request);
    void OnCancelRequest(CNetClient* client, CancelRecord* record);
    void OnStatusNotification(StatusRecord* record);

    std::list<std::unique_ptr<CContextHttx>> contexts_;
};

class CNetTransport : public virtual CHttxTransport {
public:
    CNetTransport();
    ~CNetTransport() override;

protected:
    bool InitInstance() override;
    void ExitInstance(bool onThread) override;
};

}  // namespace NetEx
