#include "context_httx.h"

#include "net/net_client.h"
#include "net/net_transport.h"

#include <cstdio>

namespace NetEx {

namespace {
constexpr size_t kMaxName = 511;
}

CContextHttx::~CContextHttx() { Close(); }

bool CContextHttx::Init(int32_t contextId, const std::string& name, const std::string& url, uint32_t timeout,
                        uint32_t growth) {
    id_ = contextId;
    clientName_ = name;
    timeout_ = timeout;
    growth_ = growth;
    return url_.Parse(url.c_str());
}

void CContextHttx::Attach(CNetClient* client, CNetTransportBase* transport) {
    client_ = client;
    transport_ = transport;
    char text[kMaxName + 1];
    if (clientName_.empty())
        snprintf(text, sizeof text, "%s.Context%d", "Httx", id_);
    else
        snprintf(text, sizeof text, "%s.%s", "Httx", clientName_.c_str());
    name_ = text;
}

uint32_t CContextHttx::OpenTrace(TraceConfig& config, const ClockReference& clock) {
    if (trace_.IsOpen()) return ERROR_ALREADY_EXISTS;
    return trace_.Open(config, name_, clock);
}

void CContextHttx::TraceCreating() {
    trace_.Heading("Creating context");
    trace_.Field("Url:  ", url_.FullUrl());
    trace_.Field("Id:   ", std::to_string(id_));
    trace_.Field("Args: ", url_.Query());
    trace_.Field("T/o:  ", timeout_);
    trace_.Field("BGS:  ", growth_);
    trace_.End();
}

uint32_t CContextHttx::Connect(HINTERNET root) {
    TraceCreating();
    connection_.Reset(InternetConnectA(root, url_.host().c_str(), url_.port(),
                                       url_.user().empty() ? nullptr : url_.user().c_str(),
                                       url_.password().empty() ? nullptr : url_.password().c_str(),
                                       INTERNET_SERVICE_HTTP, INTERNET_FLAG_EXISTING_CONNECT, 0));
    if (!connection_.IsValid()) {
        DWORD code = GetLastError();
        if (!code) code = ERROR_INTERNET_INTERNAL_ERROR;
        trace_.ErrorLine(code);
        return code;
    }
    return 0;
}

void CContextHttx::Modify(CContextHttx& from) {
    if (from.url_.arguments() != url_.arguments()) url_.SetArguments(from.url_.arguments());
    if (from.timeout_) timeout_ = from.timeout_;
    if (from.growth_) growth_ = from.growth_;
    trace_.Heading("Modifying context");
    trace_.Field("Args: ", url_.Query());
    trace_.Field("T/o:  ", timeout_);
    trace_.Field("BGS:  ", growth_);
    trace_.End();
}

void CContextHttx::Close() {
    if (!connection_.IsValid()) return;
    // Each request's handle is closed before the connection's.
    while (!requests_.empty()) {
        std::unique_ptr<CRequestHttx> r = std::move(requests_.front());
        requests_.pop_front();
        Drop(std::move(r));
    }
    trace_.Heading("Destroying context");
    trace_.End();
    trace_.Heading("");
    connection_.Reset();
    trace_.Close();
    transport_ = nullptr;
}

void CContextHttx::CountSent(uint64_t n) {
    sent_ += n;
    if (transport_) transport_->AddSent(n);
}

void CContextHttx::CountReceived(uint64_t n) {
    received_ += n;
    if (transport_) transport_->AddReceived(n);
}

}  // namespace NetEx
