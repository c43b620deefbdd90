#pragma once
// A context: a named connection to one base URL with its own time-out,
// buffer growth size, connection handle, requests in flight and optional
// trace log.
//
// Ownership: a client fills a new context (CHttxTransport::NewContext) and
// hands it over with CreateContext; from then on the transport owns it and
// only the transport thread touches it, including its requests.

#include "net/httx_trace_log.h"
#include "net/internet_handle.h"
#include "net/net_records.h"
#include "net/request_httx.h"
#include "net/url_components.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>

namespace NetEx {

class CNetClient;
class CNetTransportBase;

class IContextBase {
public:
    virtual ~IContextBase() = default;
    virtual int32_t id() const = 0;
    virtual const std::string& name() const = 0;
    virtual CUrlComponents& baseUrl() = 0;
};

class CContextBase : public virtual IContextBase {
public:
    int32_t id() const override { return id_; }
    const std::string& name() const override { return name_; }
    CUrlComponents& baseUrl() override { return url_; }

protected:
    int32_t id_ = 0;
    std::string name_;
    CUrlComponents url_;
};

class IContextHttx : public virtual IContextBase {
public:
    virtual uint32_t timeout() const = 0;
    virtual uint32_t growth() const = 0;
    virtual uint32_t useCount() const = 0;
    virtual bool Init(int32_t contextId, const std::string& name, const std::string& url, uint32_t timeout,
                      uint32_t growth) = 0;
    virtual bool SetUrl(const std::string& url) = 0;
    virtual void AddArguments(const char* query) = 0;
    virtual uint32_t AddUse() = 0;
    virtual uint32_t ReleaseUse() = 0;
};

class CContextHttx : public IContextHttx, public CContextBase {
public:
    CContextHttx() = default;
    ~CContextHttx() override;

    uint32_t timeout() const override { return timeout_; }
    uint32_t growth() const override { return growth_; }
    uint32_t useCount() const override { return uses_; }
    bool Init(int32_t contextId, const std::string& name, const std::string& url, uint32_t timeout,
              uint32_t growth) override;
    bool SetUrl(const std::string& url) override { return url_.Parse(url.c_str()); }
    void AddArguments(const char* query) override { url_.AddArguments(query); }
    uint32_t AddUse() override { return ++uses_; }
    uint32_t ReleaseUse() override { return uses_ ? --uses_ : 0; }

    // Transport thread only from here on.
    CNetClient* client() const { return client_; }
    void SetClientName(const std::string& name) { clientName_ = name; }
    // Registration: records owner and transport and builds the name.
    void Attach(CNetClient* client, CNetTransportBase* transport);
    // Opens the trace log; 0 or the error code.
    uint32_t OpenTrace(TraceConfig& config, const ClockReference& clock);
    void SetClock(const ClockReference& clock) { trace_.SetClock(clock); }
    // InternetConnectA on the root; 0 or the error code (also traced).
    uint32_t Connect(HINTERNET root);
    // Takes over the template's arguments, time-out and growth ("Modifying context").
    void Modify(CContextHttx& from);
    // Closes every request (without notifying; the transport keeps them
    // until WinINet is done with them), the connection and the log.
    void Close();
    bool IsConnected() const { return connection_.IsValid(); }
    uint64_t bytesSent() const { return sent_; }
    uint64_t bytesReceived() const { return received_; }
    size_t requestCount() const { return requests_.size(); }

    // Request handling (request_io.cpp): takes ownership of the request.
    void SendRequest(CRequestHttx* request);
    // A WinINet notification about one of our requests; consumes the record.
    void OnStatus(StatusRecord* record);
    // False when no request with that id is in flight.
    bool CancelRequest(int32_t requestId);

private:
    friend class CRequestHttx;

    void TraceCreating();
    void TraceRequest(const char* title, CRequestHttx& r);
    void TraceSending(CRequestHttx& r);
    void TraceReceived(CRequestHttx& r);
    void TraceRedirect(const void* location, size_t length, CRequestHttx& r);
    void AfterPass(CRequestHttx* r);
    // Removes the request from the list and gives it to the client.
    void Complete(CRequestHttx* r);
    std::unique_ptr<CRequestHttx> Unlink(CRequestHttx* r);
    // Closes an unlinked request without an answer to the client.
    void Drop(std::unique_ptr<CRequestHttx> r);
    void CountSent(uint64_t n);
    void CountReceived(uint64_t n);
    // Transport thread, between reads: the body so far goes to the client.
    void HandPiece(CRequestHttx& r);

    CNetClient* client_ = nullptr;
    CNetTransportBase* transport_ = nullptr;
    std::string clientName_;
    CHttxTraceLog trace_;
    uint64_t sent_ = 0;
    uint64_t received_ = 0;
    CInternetHandle connection_;
    std::list<std::unique_ptr<CRequestHttx>> requests_;
    uint32_t timeout_ = 0;
    uint32_t growth_ = 0;
    uint32_t uses_ = 0;
};

}  // namespace NetEx
