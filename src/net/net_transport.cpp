#include "net_transport.h"

namespace NetEx {

namespace {

// The one transport window of the process, for the status callback.
std::atomic<HWND> g_transportWindow{nullptr};

// Sets an event when the scope ends, also when a handler throws, so a
// synchronous caller is never left waiting.
class CSetOnExit {
public:
    explicit CSetOnExit(HANDLE event) : event_(event) {}
    ~CSetOnExit() { SetEvent(event_); }
    CSetOnExit(const CSetOnExit&) = delete;
    CSetOnExit& operator=(const CSetOnExit&) = delete;

private:
    HANDLE event_;
};

// Runs on WinINet's threads: copies the notification and posts it.
void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR contextValue, DWORD status, LPVOID info,
                             DWORD infoLength) {
    if (!contextValue) return;
    if (status != INTERNET_STATUS_CONNECTION_CLOSED && status != INTERNET_STATUS_REQUEST_COMPLETE &&
        status != INTERNET_STATUS_REDIRECT && status != INTERNET_STATUS_HANDLE_CLOSING)
        return;
    auto* record = new (std::nothrow) StatusRecord;
    if (!record) return;
    record->handle = handle;
    record->contextValue = contextValue;
    record->status = status;
    if (info && infoLength) record->info.append(info, infoLength);
    const HWND window = g_transportWindow.load();
    if (!window || !PostMessageW(window, tmStatusNotification, 0, reinterpret_cast<LPARAM>(record))) delete record;
}

}  // namespace

CNetTransportBase::CNetTransportBase()
    : CWindowThread("CNetTransport thread"), syncEvent_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CNetTransportBase::~CNetTransportBase() = default;

bool CNetTransportBase::OpenInternet(const OpenRecord& record) {
    if (rootOpen_ || !window() || !syncEvent_.IsValid()) return false;
    ResetEvent(syncEvent_.Get());
    if (!PostMessageW(window(), tmOpenInternet, 0, reinterpret_cast<LPARAM>(&record))) return false;
    WaitForSingleObject(syncEvent_.Get(), INFINITE);
    ResetEvent(syncEvent_.Get());
    return result_ != 0;
}

bool CNetTransportBase::CloseInternet() {
    if (!window() || !syncEvent_.IsValid()) return false;
    ResetEvent(syncEvent_.Get());
    if (!PostMessageW(window(), tmCloseInternet, 0, 0)) return false;
    WaitForSingleObject(syncEvent_.Get(), INFINITE);
    ResetEvent(syncEvent_.Get());
    return result_ != 0;
}

void CNetTransportBase::KeepUntilClosed(std::unique_ptr<CRequestHttx> request) {
    if (request->closedHandle()) closing_.push_back(std::move(request));
}

bool CNetTransportBase::SetTraceConfig(TraceConfig* config) {
    if (rootOpen_ && window() && PostMessageW(window(), tmSetTraceConfig, 0, reinterpret_cast<LPARAM>(config)))
        return true;
    delete config;
    return false;
}

LRESULT CNetTransportBase::HandleOpenInternet(const OpenRecord* record) {
    CSetOnExit signal(syncEvent_.Get());
    result_ = 0;
    if (rootOpen_ || !record) return 0;
    root_.Reset(InternetOpenA(record->agent.c_str(), record->accessType,
                              record->proxy.empty() ? nullptr : record->proxy.c_str(),
                              record->proxyBypass.empty() ? nullptr : record->proxyBypass.c_str(),
                              INTERNET_FLAG_ASYNC));
    if (!root_.IsValid()) return 0;
    if (InternetSetStatusCallbackA(root_.Get(), &StatusCallback) == INTERNET_INVALID_STATUS_CALLBACK) {
        root_.Reset();
        return 0;
    }
    // Each of these only improves the session; failures are ignored.
    INTERNET_CONNECTED_INFO state{};
    DWORD size = sizeof(state.dwConnectedState);
    if (InternetQueryOptionA(root_.Get(), INTERNET_OPTION_CONNECTED_STATE, &state.dwConnectedState, &size) &&
        (state.dwConnectedState & INTERNET_STATE_DISCONNECTED_BY_USER)) {
        INTERNET_CONNECTED_INFO connected{INTERNET_STATE_CONNECTED, 0};
        InternetSetOptionA(root_.Get(), INTERNET_OPTION_CONNECTED_STATE, &connected, sizeof(connected));
    }
    DWORD conns = 0;
    size = sizeof(conns);
    if (InternetQueryOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &conns, &size) && conns < 32) {
        conns = 32;
        InternetSetOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &conns, sizeof(conns));
    }
    BOOL decode = TRUE;
    InternetSetOptionA(root_.Get(), INTERNET_OPTION_HTTP_DECODING, &decode, sizeof(decode));
    rootOpen_ = true;
    result_ = 1;
    return 0;
}

LRESULT CNetTransportBase::HandleCloseInternet() {
    CSetOnExit signal(syncEvent_.Get());
    result_ = 0;
    if (!rootOpen_) return 0;
    RemoveContexts(nullptr);
    InternetSetStatusCallbackA(root_.Get(), nullptr);
    root_.Reset();
    rootOpen_ = false;
    result_ = 1;
    return 0;
}

bool CHttxTransport::NewContext(CNetClient* client, CContextHttx*& out) {
    if (!rootOpen_ || !client) return false;
    delete out;
    out = new CContextHttx;
    return true;
}

void CHttxTransport::RegisterHandlers() {
    AddHandler(tmSetClockReference, [this](WPARAM w, LPARAM l) {
        OnSetClock(int64_t(int32_t(w)), int32_t(l));
        return LRESULT(0);
    });
    AddHandler(tmQueryStatistics, [this](WPARAM w, LPARAM) {
        OnQueryStatistics(reinterpret_cast<CNetClient*>(w));
        return LRESULT(0);
    });
    AddHandler(tmRemoveClientContexts, [this](WPARAM w, LPARAM) {
        OnRemoveClientContexts(reinterpret_cast<CNetClient*>(w));
        return LRESULT(0);
    });
    AddHandler(tmOpenInternet,
               [this](WPARAM, LPARAM l) { return HandleOpenInternet(reinterpret_cast<const OpenRecord*>(l)); });
    AddHandler(tmCloseInternet, [this](WPARAM, LPARAM) { return HandleCloseInternet(); });
    AddHandler(tmSetTraceConfig, [this](WPARAM, LPARAM l) {
        OnSetTraceConfig(reinterpret_cast<TraceConfig*>(l));
        return LRESULT(0);
    });
    AddHandler(tmCreateContext, [this](WPARAM w, LPARAM l) {
        OnCreateContext(reinterpret_cast<CNetClient*>(w), reinterpret_cast<CContextHttx*>(l));
        return LRESULT(0);
    });
    AddHandler(tmModifyContext, [this](WPARAM w, LPARAM l) {
        OnModifyContext(reinterpret_cast<CNetClient*>(w), reinterpret_cast<CContextHttx*>(l));
        return LRESULT(0);
    });
    AddHandler(tmDestroyContext, [this](WPARAM w, LPARAM l) {
        OnDestroyContext(reinterpret_cast<CNetClient*>(w), int32_t(l));
        return LRESULT(0);
    });
    AddHandler(tmSendRequest, [this](WPARAM w, LPARAM l) {
        OnSendRequest(reinterpret_cast<CNetClient*>(w), reinterpret_cast<CRequestHttx*>(l));
        return LRESULT(0);
    });
    AddHandler(tmCancelRequest, [this](WPARAM w, LPARAM l) {
        OnCancelRequest(reinterpret_cast<CNetClient*>(w), reinterpret_cast<CancelRecord*>(l));
        return LRESULT(0);
    });
    AddHandler(tmStatusNotification, [this](WPARAM, LPARAM l) {
        OnStatusNotification(reinterpret_cast<StatusRecord*>(l));
        return LRESULT(0);
    });
}

CContextHttx* CHttxTransport::Find(CNetClient* client, int32_t id) {
    for (auto& c : contexts_)
        if (c->client() == client && c->id() == id) return c.get();
    return nullptr;
}

void CHttxTransport::Error(CNetClient* client, uint32_t kind, uint32_t code, int32_t contextId,
                           uint32_t requestId) {
    if (!client) return;
    auto* record = new ErrorRecord;
    record->kind = kind;
    record->errorCode = code;
    record->contextId = contextId;
    record->requestId = requestId;
    client->OnError(record);
}

void CHttxTransport::RemoveContexts(CNetClient* client) {
    for (auto it = contexts_.begin(); it != contexts_.end();) {
        if (!client || (*it)->client() == client) {
            (*it)->Close();
            it = contexts_.erase(it);
        } else {
            ++it;
        }
    }
}

void CHttxTransport::OnSetClock(int64_t correction, int32_t bias) {
    clock_.correctionMs = correction;
    clock_.biasSeconds = bias;
    for (auto& c : contexts_) c->SetClock(clock_);
}

void CHttxTransport::OnQueryStatistics(CNetClient* client) {
    if (!client) return;
    auto* record = new StatisticsRecord;
    record->bytesSent = sent_;
    record->bytesReceived = received_;
    client->OnStatistics(record);
}

void CHttxTransport::OnRemoveClientContexts(CNetClient* client) {
    struct SignalClient {
        CNetClient* client;
        ~SignalClient() {
            if (client && client->removedEvent()) SetEvent(client->removedEvent());
        }
    } signal{client};
    result_ = 1;
    RemoveContexts(client);
}

void CHttxTransport::OnSetTraceConfig(TraceConfig* config) { trace_.reset(config); }

void CHttxTransport::OnCreateContext(CNetClient* client, CContextHttx* context) {
    std::unique_ptr<CContextHttx> owned(context);
    if (!context) return;
    const int32_t id = context->id();
    if (!rootOpen_) {
        Error(client, ErrorRecord::kRootNotOpen, 0, id, kWholeContext);
        return;
    }
    uint32_t code = 0;
    if (Find(client, id)) {
        code = ERROR_INTERNET_HANDLE_EXISTS;
    } else {
        context->Attach(client, this);
        // The trace is a diagnostic aid: a log that cannot be opened leaves
        // the context untraced rather than failing its downloads.
        if (trace_ && trace_->enabled) context->OpenTrace(*trace_, clock_);
        code = context->Connect(root_.Get());
    }
    if (code) {
        Error(client, ErrorRecord::kContextNotCreated, code, id, kWholeContext);
        return;
    }
    contexts_.push_back(std::move(owned));
    if (client) client->OnContextCreated(id);
}

void CHttxTransport::OnModifyContext(CNetClient* client, CContextHttx* context) {
    std::unique_ptr<CContextHttx> owned(context);
    if (!context) return;
    if (!rootOpen_) {
        Error(client, ErrorRecord::kRootNotOpen, 0, context->id(), kWholeContext);
        return;
    }
    CContextHttx* found = Find(client, context->id());
    if (!found) {
        Error(client, ErrorRecord::kNotFound, 0, context->id(), kWholeContext);
        return;
    }
    found->Modify(*context);
    if (client) client->OnContextModified(found->id());
}

void CHttxTransport::OnDestroyContext(CNetClient* client, int32_t id) {
    if (!rootOpen_) {
        Error(client, ErrorRecord::kRootNotOpen, 0, id, kWholeContext);
        return;
    }
    for (auto it = contexts_.begin(); it != contexts_.end(); ++it) {
        if ((*it)->client() == client && (*it)->id() == id) {
            std::unique_ptr<CContextHttx> context = std::move(*it);
            contexts_.erase(it);
            context->Close();
            context.reset();
            if (client) client->OnContextDestroyed(id);
            return;
        }
    }
    Error(client, ErrorRecord::kNotFound, 0, id, kWholeContext);
}

void CHttxTransport::OnSendRequest(CNetClient* client, CRequestHttx* request) {
    std::unique_ptr<CRequestHttx> owned(request);
    if (!request) return;
    if (!rootOpen_) {
        Error(client, ErrorRecord::kRootNotOpen, 0, request->contextId(), uint32_t(request->requestId()));
        return;
    }
    CContextHttx* context = Find(client, request->contextId());
    if (!context) {
        Error(client, ErrorRecord::kNotFound, 0, request->contextId(), uint32_t(request->requestId()));
        return;
    }
    context->SendRequest(owned.release());
}

void CHttxTransport::OnCancelRequest(CNetClient* client, CancelRecord* record) {
    std::unique_ptr<CancelRecord> owned(record);
    if (!record) return;
    if (!rootOpen_) {
        Error(client, ErrorRecord::kRootNotOpen, 0, record->contextId, uint32_t(record->requestId));
        return;
    }
    CContextHttx* context = Find(client, record->contextId);
    if (!context) {
        Error(client, ErrorRecord::kNotFound, 0, record->contextId, uint32_t(record->requestId));
        return;
    }
    if (record->requestId) context->CancelRequest(record->requestId);
}

void CHttxTransport::OnStatusNotification(StatusRecord* record) {
    std::unique_ptr<StatusRecord> owned(record);
    if (!record) return;
    if (record->status == INTERNET_STATUS_HANDLE_CLOSING) {
        // WinINet is done with the handle: a request kept for it may go.
        for (auto it = closing_.begin(); it != closing_.end(); ++it) {
            if ((*it)->closedHandle() == record->handle) {
                closing_.erase(it);
                return;
            }
        }
        return;
    }
    for (auto& c : contexts_) {
        if (reinterpret_cast<DWORD_PTR>(c.get()) == record->contextValue) {
            c->OnStatus(owned.release());
            return;
        }
    }
}

CNetTransport::CNetTransport() = default;

CNetTransport::~CNetTransport() {
    if (HasThread() && running()) {
        PostQuit();
        Stop(INFINITE);
    }
}

bool CNetTransport::InitInstance() {
    if (!CreateHiddenWindow(L"NetTransportWndClass")) return false;
    g_transportWindow = window_;
    RegisterHandlers();
    return CWindowThread::InitInstance();
}

void CNetTransport::ExitInstance(bool onThread) {
    // The root handle goes on every path; on the owner's thread (the loop
    // was abandoned) no handler can run any more, so close directly.
    if (rootOpen_) {
        RemoveContexts(nullptr);
        InternetSetStatusCallbackA(root_.Get(), nullptr);
        root_.Reset();
        rootOpen_ = false;
    }
    g_transportWindow = nullptr;
    CWindowThread::ExitInstance(onThread);
}

}  // namespace NetEx

