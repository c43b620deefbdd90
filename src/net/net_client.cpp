#include "net_client.h"

#include "net/net_transport.h"

namespace NetEx {

CNetClient::CNetClient() : removed_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CNetClient::~CNetClient() { RemoveAllContexts(INFINITE); }

bool CNetClient::RemoveAllContexts(DWORD timeoutMs) {
    if (!transport_ || !transport_->running() || !removed_.IsValid()) return false;
    ResetEvent(removed_.Get());
    if (!PostMessageW(transport_->window(), tmRemoveClientContexts, reinterpret_cast<WPARAM>(this), 0))
        return false;
    return WaitForSingleObject(removed_.Get(), timeoutMs) == WAIT_OBJECT_0;
}

bool CNetClient::NewRequest(IRequestHttx*& out, const IRequestHttx* from) {
    if (!transport_ || !transport_->IsRootOpen()) return false;
    CRequestHttx* made = nullptr;
    if (from) {
        const auto* source = dynamic_cast<const CRequestHttx*>(from);
        if (!source) return false;
        made = new CRequestHttx(*source);
    } else {
        made = new CRequestHttx;
    }
    delete out;
    out = made;
    return true;
}

bool CNetClient::Send(IRequestHttx* request) {
    auto* r = dynamic_cast<CRequestHttx*>(request);
    if (r && transport_ && transport_->IsRootOpen() &&
        PostMessageW(transport_->window(), tmSendRequest, reinterpret_cast<WPARAM>(this),
                     reinterpret_cast<LPARAM>(r)))
        return true;
    delete request;
    return false;
}

}  // namespace NetEx
